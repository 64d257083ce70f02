#pragma once

#include "peer/Origin.h"

#include <QCoro/QCoroTask>
#include <QString>

namespace quibo {

class ContactTable;
class Dispatcher;

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
