#include "base/WindowKey.h"

#include <QCryptographicHash>

#include <unistd.h>

namespace quibo {

QString windowKey(const QString &title, const QString &host, quint16 port, uint uid)
{
    const QString identity = title + u'@' + host.trimmed().toLower() + u':' + QString::number(port);
    const QByteArray digest =
        QCryptographicHash::hash(identity.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("quibo-window-") + QString::fromLatin1(digest) + u'-' + QString::number(uid);
}

QString windowKey(const QString &title, const QString &host, quint16 port)
{
    return windowKey(title, host, port, static_cast<uint>(::getuid()));
}

} // namespace quibo
