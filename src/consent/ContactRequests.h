#pragma once

#include "peer/Origin.h"

#include <QCoro/QCoroTask>
#include <QString>

namespace quibo {

class Dispatcher;
class Notices;

// What the listener does with requests to add and their answers: "|001" from strangers,
// "|006" and "|007".
class ContactRequests {
public:
    ContactRequests(Notices &notices, Dispatcher &dispatcher);

    // "|001" from a stranger once the contacts are resolved: the request-to-add dialog.
    QCoro::Task<> OnContactRequest(QString handle, QString address);
    // "|006": the contact refused to add this user.
    QCoro::Task<> OnRequestRefused(int senderIndex, QString handle);
    // "|007": the contact added this user.
    QCoro::Task<> OnRequestAccepted(QString handle);

private:
    QCoro::Task<> refused(Origin from);

    Notices &m_notices;
};

} // namespace quibo
