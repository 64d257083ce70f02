#pragma once

#include "peer/Origin.h"
#include "peer/PeerRecord.h"

#include <QCoro/QCoroTask>
#include <QString>

namespace quibo {

class ContactTable;
class Dispatcher;

namespace presence {
// The payload of both is the sender's own address.
inline constexpr peer::RecordCode Online{u"|001", peer::MessageBlock};
inline constexpr peer::RecordCode Offline{u"|002", peer::MessageBlock};
} // namespace presence

// "|001" and "|002" from contacts: the contact comes online at the address after the code,
// or goes offline.
class Presence {
public:
    Presence(ContactTable &contacts, Dispatcher &dispatcher);

private:
    QCoro::Task<> cameOnline(Origin from, QString body);
    QCoro::Task<> wentOffline(Origin from);

    ContactTable &m_contacts;
};

} // namespace quibo
