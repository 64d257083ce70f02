#include "messaging/Messaging.h"

#include "contacts/ContactTable.h"
#include "notices/Notices.h"
#include "peer/PeerSender.h"
#include "ports/Attention.h"

namespace quibo {

Messaging::Messaging(const Selection &selection, const ContactTable &contacts, PeerSender &sender,
                     Notices &notices, MessageUi &ui, SendMessageFields &sendFields,
                     ReceivedMessageFields &receivedFields, Journal &journal, Attention &attention)
    : m_selection(selection), m_contacts(contacts), m_sender(sender), m_notices(notices), m_ui(ui),
      m_send(sendFields), m_received(receivedFields), m_journal(journal), m_attention(attention)
{
}

QCoro::Task<> Messaging::sendMessageCommand()
{
    if (!m_state.opening(SendDialogUse::NewMessage))
        co_return;
    co_await runSendDialog(DialogOwner::MainWindow);
    m_state.closed();
}

QCoro::Task<> Messaging::sendMessageToSelected()
{
    if (m_state.sendDialog() != SendDialogUse::Closed)
        co_return;
    if (m_contacts.isValid(m_selection.selectedContact))
        m_send.m_to = m_contacts.contact(m_selection.selectedContact).displayHandle;
    co_await sendMessageCommand();
}

QCoro::Task<> Messaging::sendSmileyOrSound(peer::RecordCode code, EntryKind kind, QString name)
{
    co_await m_notices.showSending(DialogOwner::MainWindow);
    co_await sendAndEmpty(code.toString(), DialogOwner::MainWindow, kind, std::move(name));
}

void Messaging::noteSender(const QString &from, const QString &replyAddress)
{
    m_received.m_from = from;
    m_send.m_to = from;
    m_send.m_replyAddress = replyAddress;
    if (m_sendView)
        m_sendView->refresh();
}

QCoro::Task<> Messaging::showReceivedMessage(QString message)
{
    // Kept even if the window is refused: the history holds what arrived.
    m_journal.record({{}, Direction::In, EntryKind::Message, Party::contact(m_received.m_from), message});
    DialogView *opened = m_receivedView.open([&] {
        m_received.m_message = std::move(message);
        m_notices.playNotificationSound();
        return m_ui.openReceivedMessage(m_received);
    });
    if (!opened)
        co_return;
    m_attention.messageShown();
    m_attention.arrived(m_received.m_from, m_received.m_message, [this] {
        if (m_receivedView)
            m_receivedView->bringForward();
        return static_cast<bool>(m_receivedView);
    });
    DialogView &view = *opened;
    for (;;) {
        const int action = co_await nextAction(view);
        if (action == MessageUi::ReplyButton) {
            view.setButtonsEnabled(false);
            co_await reply();
            break;
        }
        if (action == MessageUi::OkButton || action == DialogView::Closed)
            break;
    }
    view.close();
    m_receivedView.reset();
    m_received.m_message.clear();
    m_attention.messageRead();
}

QCoro::Task<> Messaging::reply()
{
    // With the send dialog already open, Reply only closes the received message.
    if (!m_state.opening(SendDialogUse::Reply))
        co_return;
    m_send.m_replyMode = ReplyMode::Replying;
    co_await runSendDialog(DialogOwner::Desktop);
    m_send.m_replyMode = ReplyMode::Replied;
    m_state.closed();
}

QCoro::Task<> Messaging::runSendDialog(DialogOwner owner)
{
    DialogView *opened = m_sendView.open([&] { return m_ui.openSendMessage(owner, m_send); });
    if (!opened)
        co_return;
    DialogView &view = *opened;
    for (;;) {
        const int action = co_await nextAction(view);
        if (action == MessageUi::SendButton) {
            view.setButtonsEnabled(false);
            co_await sendAndEmpty(m_send.m_message, owner);
            break;
        }
        if (action == MessageUi::CancelButton || action == DialogView::Closed)
            break;
    }
    view.close();
    m_sendView.reset();
}

// A reply goes back to the address stored for the sender when the message came; anything else
// to the contact selected in the main window.
QString Messaging::destination() const
{
    return m_send.m_replyMode == ReplyMode::Replying ? m_send.m_replyAddress
                                                     : m_contacts.addressOf(m_selection.selectedContact);
}

// Any send from the main window or the send dialog empties the dialog's text, sent or not,
// before a failure is shown; only Cancel keeps it.
// Whom destination() is: the sender replied to, or the selected contact.
QString Messaging::addressee() const
{
    if (m_send.m_replyMode != ReplyMode::Replying && m_contacts.isValid(m_selection.selectedContact))
        return m_contacts.contact(m_selection.selectedContact).displayHandle;
    return m_send.m_to;
}

QCoro::Task<> Messaging::sendAndEmpty(QString message, DialogOwner owner, EntryKind kind, QString name)
{
    const Party to = Party::contact(addressee());
    const SendOutcome outcome = co_await m_sender.sendMessageRecord(destination(), message);
    if (outcome == SendOutcome::Sent)
        m_journal.record({{}, Direction::Out, kind, to, kind == EntryKind::Message ? message : name});
    m_send.m_message.clear();
    co_await m_sender.reportMessageOutcome(outcome, owner);
}

} // namespace quibo
