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

QCoro::Task<> Announcer::announce(peer::RecordCode code, DialogOwner owner)
{
    // Every online contact is told side by side, then failures in table order. The table may
    // grow meanwhile; records added are told too, in the next round.
    for (int told = 0; told < m_contacts.contactCount();) {
        QStringList addresses;
        for (; told < m_contacts.contactCount(); ++told) {
            // A contact held for a new key hears nothing, and the user, who is being asked
            // about it, is not told of a notice nobody chose to send.
            const ContactRecord &contact = m_contacts.contact(told);
            if (contact.online && !contact.keyHeld)
                addresses.append(contact.address);
        }
        const QString reachedAt =
            m_session.publishedAddress.isEmpty() ? m_session.ownAddress : m_session.publishedAddress;
        const QByteArray block = peer::buildRecord(m_session.ownHandle, code, reachedAt);
        const QList<SendOutcome> outcomes =
            co_await m_sender.sendToAll(std::move(addresses), m_sender.peerPort(), block);
        for (const SendOutcome outcome : outcomes) {
            if (outcome == SendOutcome::SendFailed)
                co_await m_notices.showSystemMessage(owner, QStringLiteral("send error - error code 1003"),
                                                     QString());
        }
    }
}

void Announcer::hangUp()
{
    m_sender.closeKeptConnections(true);
}

} // namespace quibo
