#pragma once

#include "peer/PeerRecord.h"
#include "ports/DialogOwner.h"

#include <QCoro/QCoroTask>
#include <QString>

namespace quibo {

struct LogonState;
class ContactTable;
class Notices;
class RecordSender;

// Tells every online contact whose key is not held, in table order, that the user has come ("|001") or gone
// ("|002"), with the own address after the code: one 522-byte record each, as SendPeerRecord
// sends it. It goes straight to each contact's address, so it neither changes the selected
// contact nor uses the send dialog's m_message, which the user may be typing into meanwhile.
class Announcer {
public:
    Announcer(const LogonState &session, const ContactTable &contacts, RecordSender &sender,
              Notices &notices);

    // A failed connection is not reported; a failed send shows "send error - error code 1003".
    QCoro::Task<> announce(peer::RecordCode code, DialogOwner owner);
    // Once the contacts are told of the logoff: the connections kept to secure contacts close.
    void hangUp();

private:
    const LogonState &m_session;
    const ContactTable &m_contacts;
    RecordSender &m_sender;
    Notices &m_notices;
};

} // namespace quibo
