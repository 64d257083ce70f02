#include "consent/ContactLookup.h"

#include "base/Limits.h"
#include "directory/DirectoryClient.h"
#include "notices/Notices.h"

namespace quibo::contact_lookup {

QCoro::Task<std::optional<QByteArray>> fetch(DirectoryClient &directory, Notices &notices, QString handle,
                                             DialogOwner owner)
{
    const DirectoryReply reply = co_await directory.addressPage(std::move(handle));
    if (reply.ok)
        co_return reply.body;
    co_await notices.showSystemMessage(owner, QStringLiteral("Error Connecting - Code 1013"), QString());
    if (reply.body.isEmpty())
        co_return std::nullopt;
    co_return reply.body;
}

bool isUnknownHandle(const QByteArray &reply)
{
    return reply.startsWith('<');
}

QString addressLine(const QByteArray &reply)
{
    return reply_text::firstLine(reply, static_cast<int>(limits::AddressFieldBytes) + 1);
}

bool isOnlineAddress(const QString &line)
{
    return line.size() >= 2;
}

} // namespace quibo::contact_lookup
