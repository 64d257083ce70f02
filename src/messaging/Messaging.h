#pragma once

#include "base/ViewSlot.h"
#include "mainwindow/Selection.h"
#include "messaging/MessagingState.h"
#include "peer/PeerRecord.h"
#include "ports/Journal.h"
#include "ports/MessageUi.h"

#include <QCoro/QCoroTask>

#include <memory>

namespace quibo {

class Attention;
class ContactTable;
class Notices;
class PeerSender;

// The send and received message dialogs, with their members, and the smiley and sound commands.
class Messaging {
public:
    Messaging(const Selection &selection, const ContactTable &contacts, PeerSender &sender, Notices &notices,
              MessageUi &ui, SendMessageFields &sendFields, ReceivedMessageFields &receivedFields,
              Journal &journal, Attention &attention);

    [[nodiscard]] const MessagingState &state() const { return m_state; }
    SendMessageFields &sendFields() { return m_send; }
    ReceivedMessageFields &receivedFields() { return m_received; }
    const SendMessageFields &sendFields() const { return m_send; }
    const ReceivedMessageFields &receivedFields() const { return m_received; }

    // "Send Message": unless a reply is being written, shows the send dialog (window-modal to
    // the main window) with the addressee already chosen by the click that opened the menu.
    QCoro::Task<> sendMessageCommand();
    // A double-click on the list, after it selected the contact: unless a reply is being
    // written, addresses the send dialog to the selected contact and shows it.
    QCoro::Task<> sendMessageToSelected();
    // A smiley or sound command: "Sending ..." first, then the code goes out as a message
    // record; the history keeps `name`.
    QCoro::Task<> sendSmileyOrSound(peer::RecordCode code, EntryKind kind, QString name);

    // The listener identified a sender: the received dialog's m_from, and the send dialog's
    // m_to and m_replyAddress (an open send dialog shows the change).
    void noteSender(const QString &from, const QString &replyAddress);
    // Shows a received message with the notification sound; completes when the dialog has
    // closed (after any reply written from it). m_message is empty afterwards.
    QCoro::Task<> showReceivedMessage(QString message);

private:
    QCoro::Task<> runSendDialog(DialogOwner owner);
    QCoro::Task<> reply();
    QCoro::Task<> sendAndEmpty(QString message, DialogOwner owner, EntryKind kind = EntryKind::Message,
                               QString name = {});
    [[nodiscard]] QString destination() const;
    [[nodiscard]] QString addressee() const;

    MessagingState m_state;
    const Selection &m_selection;
    const ContactTable &m_contacts;
    PeerSender &m_sender;
    Notices &m_notices;
    MessageUi &m_ui;
    SendMessageFields &m_send;
    ReceivedMessageFields &m_received;
    Journal &m_journal;
    Attention &m_attention;
    // The open dialogs live here, not in the tasks showing them, so they close with the client.
    ViewSlot<DialogView> m_sendView{"The send message dialog"};
    ViewSlot<DialogView> m_receivedView{"The received message"};
};

} // namespace quibo
