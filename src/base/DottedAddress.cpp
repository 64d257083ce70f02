#include "base/DottedAddress.h"

#include <QHostAddress>
#include <QStringList>

namespace quibo {

bool isDottedIPv4(const QString &address)
{
    const QStringList parts = address.split(u'.');
    if (parts.size() != 4)
        return false;
    for (const QString &part : parts) {
        if (part.isEmpty() || part.size() > 3 || (part.size() > 1 && part.startsWith(u'0')))
            return false;
        for (const QChar c : part) {
            if (c < u'0' || c > u'9')
                return false;
        }
        if (part.toInt() > 255)
            return false;
    }
    return true;
}

bool isIPv6Literal(const QString &address)
{
    const QHostAddress host(address);
    return address.contains(u':') && address.size() <= 45 && host.protocol() == QAbstractSocket::IPv6Protocol &&
           host != QHostAddress(QHostAddress::AnyIPv6) && host.scopeId().isEmpty();
}

} // namespace quibo
