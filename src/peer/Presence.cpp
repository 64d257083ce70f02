#include "peer/Presence.h"

#include "contacts/ContactTable.h"
#include "peer/Dispatcher.h"

namespace quibo {

Presence::Presence(ContactTable &contacts, Dispatcher &dispatcher) : m_contacts(contacts)
{
    dispatcher.on(presence::Online,
                  [this](Origin from, QString body) { return cameOnline(std::move(from), std::move(body)); });
    dispatcher.on(presence::Offline, [this](Origin from, QString) { return wentOffline(std::move(from)); });
}

QCoro::Task<> Presence::cameOnline(Origin from, QString body)
{
    if (!from.own())
        m_contacts.MarkContactOnline(from.index, presence::Online.payloadOf(body));
    co_return;
}

QCoro::Task<> Presence::wentOffline(Origin from)
{
    // An own record acts on a contact only when the own handle is in the table.
    m_contacts.MarkContactOffline(from.index);
    co_return;
}

} // namespace quibo
