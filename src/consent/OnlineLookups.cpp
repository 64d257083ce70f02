#include "consent/OnlineLookups.h"

#include "base/Limits.h"
#include "base/Tasks.h"
#include "consent/ContactLookup.h"
#include "contacts/ContactTable.h"
#include "directory/DirectoryClient.h"
#include "peer/ContactKeys.h"
#include "peer/Dispatcher.h"
#include "peer/Presence.h"

namespace quibo {

OnlineLookups::OnlineLookups(ContactTable &table, ContactKeys &keys, DirectoryClient &directory, QObject &owner,
                             Dispatcher &dispatcher)
    : m_table(table), m_keys(keys), m_directory(directory), m_owner(owner)
{
    dispatcher.onSecureContact(presence::Online, [this](const Origin &from) { cameOnline(from.handle); });
}

void OnlineLookups::cameOnline(const QString &handle)
{
    // One look-up per contact at a time, and a flood of notices costs a bounded number.
    if (m_asking.contains(handle) || m_asking.size() >= limits::AddressLookupsInFlight)
        return;
    m_asking.append(handle);
    startTask(&m_owner, "contact online", [this, handle] { return lookUp(handle); });
}

QCoro::Task<> OnlineLookups::lookUp(QString handle)
{
    const DirectoryReply reply = co_await m_directory.lookUpContact(handle);
    m_asking.removeOne(handle);
    const LookupAnswer answer =
        readLookup(reply, m_directory.link(), static_cast<int>(limits::AddressFieldBytes) + 1);
    const std::optional<int> index = m_table.FindContactByHandle(handle);
    if (answer.kind != LookupAnswer::Kind::Found || !index) {
        qWarning("consent: no look-up for %s, which came online", qPrintable(handle));
        co_return; // what the table holds stays
    }
    // A notice that came with another key was dropped: the directory tells where the contact is.
    if (const QString at = answer.reachedAt(); contact_lookup::isOnlineAddress(at))
        m_table.MarkContactOnline(*index, at);
    m_table.setReach(*index, answer.address6, answer.ports);
    m_keys.learn(*index, answer.secure, answer.fingerprint);
}

} // namespace quibo
