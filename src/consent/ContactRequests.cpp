#include "consent/ContactRequests.h"

#include "base/Limits.h"
#include "base/Tasks.h"
#include "consent/ContactLookup.h"
#include "contacts/ContactBook.h"
#include "notices/Notices.h"
#include "peer/ContactKeys.h"
#include "peer/Dispatcher.h"
#include "peer/PeerSender.h"
#include "peer/Presence.h"
#include "ports/Attention.h"

namespace quibo {

ContactRequests::ContactRequests(Parts parts, Dispatcher &dispatcher) : m_parts(parts)
{
    dispatcher.onContactRequest(
        presence::Online, [this](QString handle, QString address, QByteArray peerKey) {
            return fromStranger(std::move(handle), std::move(address), std::move(peerKey));
        });
    dispatcher.on(consent::Refused, [this](Origin from, QString) { return refused(std::move(from)); });
    dispatcher.on(consent::Accepted, [this](Origin from, QString) { return OnRequestAccepted(from.handle); });
}

QCoro::Task<> ContactRequests::fromStranger(QString handle, QString address, QByteArray peerKey)
{
    // A classic directory knows no keys: a stranger is heard in clear as always.
    if (m_parts.directory.link() != DirectoryLink::Secure) {
        if (peerKey.isEmpty())
            co_await OnContactRequest(std::move(handle), std::move(address));
        else
            qWarning("consent: dropped a request to add from %s: a classic directory vouches for no key",
                     qPrintable(handle));
        co_return;
    }
    // The same request is looked up once at a time (a forger's other key or clear text does not
    // shut the real one out), and a flood of them costs a bounded number of look-ups.
    const QString vetted = handle + u'\n' + QString::fromLatin1(peerKey);
    if (m_vetting.contains(vetted) || m_vetting.size() >= limits::AddressLookupsInFlight) {
        qWarning("consent: dropped a request to add from %s: too many look-ups at once", qPrintable(handle));
        co_return;
    }
    m_vetting.append(vetted);
    startTask(&m_parts.owner, "request to add",
              [this, handle, address, peerKey] { return believe(handle, address, peerKey); });
}

QCoro::Task<> ContactRequests::believe(QString handle, QString address, QByteArray peerKey)
{
    const DirectoryReply reply = co_await m_parts.directory.lookUpContact(handle);
    m_vetting.removeOne(handle + u'\n' + QString::fromLatin1(peerKey));
    const LookupAnswer answer =
        readLookup(reply, m_parts.directory.link(), static_cast<int>(limits::AddressFieldBytes) + 1);
    if (!contact_lookup::vouches(answer, peerKey)) {
        qWarning("consent: dropped a request to add from %s: %s", qPrintable(handle),
                 answer.kind != LookupAnswer::Kind::Found ? "the directory does not know it"
                 : answer.secure                          ? "it did not show the key the directory gave"
                                                          : "a classic account speaks in clear");
        co_return;
    }
    m_believed.append({std::move(handle), std::move(address)});
    if (m_asking)
        co_return; // the task asking now takes it in turn
    m_asking = true;
    while (!m_believed.isEmpty()) {
        Believed next = m_believed.takeFirst();
        // One added meanwhile is a contact now, and its records go the contacts' way.
        if (!m_parts.book.table().FindContactByHandle(next.handle))
            co_await OnContactRequest(std::move(next.handle), std::move(next.address));
    }
    m_asking = false;
}

QCoro::Task<> ContactRequests::refused(Origin from)
{
    // A record in the user's own name is answered at 127.0.0.1: no contact refused anything,
    // so it deletes nothing.
    if (from.index >= 0 && !from.own())
        co_await OnRequestRefused(from.index, from.handle);
}

QCoro::Task<> ContactRequests::OnContactRequest(QString handle, QString address)
{
    if (!m_requestView.open([&] {
            m_request.m_from = std::move(handle);
            m_requesterAddress = std::move(address);
            return m_parts.ui.openRequestToAdd(m_request);
        }))
        co_return;
    m_parts.attention.arrived(m_request.m_from, QStringLiteral("asks to add you to their contacts"), [this] {
        if (m_requestView)
            m_requestView->bringForward();
        return static_cast<bool>(m_requestView);
    });
    int action = 0;
    do
        action = co_await nextAction(*m_requestView.get());
    while (action != ConsentUi::YesButton && action != ConsentUi::NoButton && action != DialogView::Closed);
    if (action == ConsentUi::YesButton) {
        m_requestView->setButtonsEnabled(false);
        co_await AcceptRequest();
        m_requestView->close();
    } else {
        // The close box counts as "&No".
        m_requestView->close();
        co_await RefuseRequest();
    }
    m_requestView.reset();
}

QCoro::Task<> ContactRequests::AcceptRequest()
{
    const QString handle = m_request.m_from;
    const QString address = m_requesterAddress;
    m_parts.book.AppendContactToFile(handle);
    const std::optional<LookupAnswer> answer =
        co_await contact_lookup::fetch(m_parts.directory, m_parts.notices, handle, DialogOwner::Desktop);
    if (answer) {
        if (const std::optional<int> index =
                m_parts.book.table().AddContactRecord(handle, answer->reachedAt(), true)) {
            m_parts.keys.learn(*index, answer->secure, answer->fingerprint);
            m_parts.book.table().setReach(*index, answer->address6, answer->ports);
        }
    } else
        co_await m_parts.notices.showSystemMessage(DialogOwner::Desktop,
                                                   QStringLiteral("Invalid Contact Name"), QString());
    const SendOutcome outcome = co_await m_parts.sender.sendCode(address, consent::Accepted);
    co_await m_parts.sender.reportMessageOutcome(outcome, DialogOwner::Desktop);
}

QCoro::Task<> ContactRequests::RefuseRequest()
{
    // A secure requester takes the answer only over TLS with its key, which the directory gives.
    const std::optional<LookupAnswer> requester = co_await contact_lookup::fetch(
        m_parts.directory, m_parts.notices, m_request.m_from, DialogOwner::Desktop);
    const QByteArray key = requester && requester->secure ? requester->fingerprint : QByteArray();
    // Named, not compared inside the condition: g++ 12 mishandles the temporaries there.
    const SendOutcome outcome = co_await m_parts.sender.sendCodeTo(m_requesterAddress, key, consent::Refused);
    if (outcome == SendOutcome::SendFailed)
        co_await m_parts.notices.showSystemMessage(DialogOwner::Desktop,
                                                   QStringLiteral("send error - error code 1030"), QString());
}

QCoro::Task<> ContactRequests::OnRequestRefused(int senderIndex, QString handle)
{
    co_await m_parts.notices.showSystemMessage(DialogOwner::Desktop, handle,
                                               QStringLiteral("Refused To Add You To Contact List"));
    co_await m_parts.book.DeleteContact(senderIndex, DialogOwner::Desktop);
    m_parts.book.table().setAddress(senderIndex, QStringLiteral("0"));
}

QCoro::Task<> ContactRequests::OnRequestAccepted(QString handle)
{
    co_await m_parts.notices.showSystemMessage(DialogOwner::Desktop, handle,
                                               QStringLiteral("User Added You To Their Contact List"));
}

} // namespace quibo
