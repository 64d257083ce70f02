#include "directory/Announcer.h"

#include "base/LogonState.h"
#include "contacts/ContactTable.h"
#include "notices/Notices.h"
#include "peer/PeerRecord.h"
#include "peer/PeerSender.h"

namespace quibo {

Announcer::Announcer(const LogonState &session, const ContactTable &contacts, RecordSender &sender,
                     Notices &notices)
    : m_session(session), m_contacts(contacts), m_sender(sender), m_notices(notices)
{
}

QCoro::Task<> Announcer::announce(QString code, DialogOwner owner)
{
    // The table may grow while a send is under way; records added meanwhile are told too.
    for (int i = 0; i < m_contacts.contactCount(); ++i) {
        const ContactRecord &record = m_contacts.contact(i);
        if (!record.online)
            continue;
        const QByteArray block =
            peer::buildRecord(m_session.ownHandle, code + m_session.ownAddress, peer::MessageBlock);
        const SendOutcome outcome = co_await m_sender.sendRecord(record.address, block);
        if (outcome == SendOutcome::SendFailed)
            co_await m_notices.showSystemMessage(owner, QStringLiteral("send error - error code 1003"),
                                                 QString());
    }
}

} // namespace quibo
