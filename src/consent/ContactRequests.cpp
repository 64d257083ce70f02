#include "consent/ContactRequests.h"

#include "consent/ContactLookup.h"
#include "contacts/ContactBook.h"
#include "notices/Notices.h"
#include "peer/Dispatcher.h"
#include "peer/PeerSender.h"
#include "peer/Presence.h"
#include "ports/Attention.h"

namespace quibo {

ContactRequests::ContactRequests(Parts parts, Dispatcher &dispatcher) : m_parts(parts)
{
    dispatcher.onContactRequest(presence::Online, [this](QString handle, QString address) {
        return OnContactRequest(std::move(handle), std::move(address));
    });
    dispatcher.on(consent::Refused, [this](Origin from, QString) { return refused(std::move(from)); });
    dispatcher.on(consent::Accepted, [this](Origin from, QString) { return OnRequestAccepted(from.handle); });
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
                m_parts.book.table().AddContactRecord(handle, answer->address, true))
            m_parts.book.table().setKey(*index, answer->secure, answer->fingerprint);
    } else
        co_await m_parts.notices.showSystemMessage(DialogOwner::Desktop,
                                                   QStringLiteral("Invalid Contact Name"), QString());
    const SendOutcome outcome = co_await m_parts.sender.sendCode(address, consent::Accepted);
    co_await m_parts.sender.reportMessageOutcome(outcome, DialogOwner::Desktop);
}

QCoro::Task<> ContactRequests::RefuseRequest()
{
    // A secure requester takes the answer only over TLS with its key, which the directory gives.
    const std::optional<LookupAnswer> requester =
        co_await contact_lookup::fetch(m_parts.directory, m_parts.notices, m_request.m_from, DialogOwner::Desktop);
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
