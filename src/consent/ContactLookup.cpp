#include "consent/ContactLookup.h"

#include "base/Limits.h"
#include "notices/Notices.h"

namespace quibo::contact_lookup {

QCoro::Task<std::optional<LookupAnswer>> fetch(DirectoryClient &directory, Notices &notices, QString handle,
                                               DialogOwner owner)
{
    const DirectoryReply reply = co_await directory.lookUpContact(std::move(handle));
    // A classic reply's first line is read as before the table's field grew for IPv6.
    constexpr int ClassicAddressRead = 20;
    const LookupAnswer answer = readLookup(reply, directory.link(), ClassicAddressRead);
    if (answer.kind != LookupAnswer::Kind::Failed)
        co_return answer;
    co_await notices.showSystemMessage(owner, QStringLiteral("Error Connecting - Code 1013"), QString());
    co_return std::nullopt;
}

bool vouches(const LookupAnswer &answer, const QByteArray &peerKey)
{
    if (answer.kind != LookupAnswer::Kind::Found)
        return false;
    return answer.secure ? !peerKey.isEmpty() && peerKey == answer.fingerprint : peerKey.isEmpty();
}

bool isOnlineAddress(const QString &line)
{
    return line.size() >= 2;
}

} // namespace quibo::contact_lookup
