#pragma once

#include "base/ViewSlot.h"
#include "peer/Origin.h"
#include "peer/PeerRecord.h"
#include "ports/ConsentUi.h"

#include <QCoro/QCoroTask>
#include <QString>

#include <memory>

namespace quibo {

class Attention;
class ContactBook;
class DirectoryClient;
class Dispatcher;
class Notices;
class PeerSender;

namespace consent {
// The answers to a request to add, sent to the address the request carried.
inline constexpr peer::RecordCode Refused{u"|006", peer::RefusalBlock};
inline constexpr peer::RecordCode Accepted{u"|007", peer::MessageBlock};
} // namespace consent

// What the listener does with requests to add and their answers: "|001" from strangers,
// "|006" and "|007". Runs in the listener's task: a request window holds the next record back.
class ContactRequests {
public:
    struct Parts {
        ContactBook &book;
        DirectoryClient &directory;
        PeerSender &sender;
        Notices &notices;
        ConsentUi &ui;
        Attention &attention;
    };

    ContactRequests(Parts parts, Dispatcher &dispatcher);

    RequestToAddFields &requestFields() { return m_request; }
    [[nodiscard]] const QString &requesterAddress() const { return m_requesterAddress; }

    // "|001" from a stranger once the contacts are resolved: the request-to-add dialog.
    QCoro::Task<> OnContactRequest(QString handle, QString address);
    // "&Yes": the requester joins the file and the table, and hears "|007".
    QCoro::Task<> AcceptRequest();
    // "&No" or the close box: the requester hears "|006".
    QCoro::Task<> RefuseRequest();
    // "|006": the contact refused to add this user and leaves the file.
    QCoro::Task<> OnRequestRefused(int senderIndex, QString handle);
    // "|007": the contact added this user.
    QCoro::Task<> OnRequestAccepted(QString handle);

private:
    QCoro::Task<> refused(Origin from);

    Parts m_parts;
    RequestToAddFields m_request;
    QString m_requesterAddress; // at most 23 bytes, cut by the dispatcher
    ViewSlot<DialogView> m_requestView{"Request To Add"};
};

} // namespace quibo
