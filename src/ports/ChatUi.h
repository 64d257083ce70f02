#pragma once

#include "ports/DialogView.h"

#include <QCoro/QCoroTask>
#include <QString>

#include <memory>

namespace quibo {

// The edit line of a chat window ("Type In Message Below and Hit Enter Key To Send"): the
// window writes every change into it. At most 130 characters.
struct ChatFields {
    static constexpr int MaxTyped = 130;
    QString m_message;
};

// An open chat window (a channel, or a private chat): a list of rows under "Incoming Messages"
// and the edit line. Its actions: EnterButton when Enter is pressed in the edit line,
// CloseButton for "Close Channel", DialogView::Closed when it has closed.
class ChatView : public DialogView {
    Q_OBJECT
public:
    static constexpr int EnterButton = 1;
    static constexpr int CloseButton = 2;

    using DialogView::DialogView;
    // Inserts `row` after the window's last row and scrolls to it.
    virtual void appendRow(QString row) = 0;
};

} // namespace quibo

namespace quibo {

// "Quibo32 Chat Channel", a window of its own, with the host label under "Multi-User Chat
// Channel Hosted By". One per process; the same window for the host and the members.
class ChannelUi {
public:
    virtual ~ChannelUi() = default;
    virtual std::unique_ptr<ChatView> openChannelWindow(QString hostLabel, ChatFields &fields) = 0;
};

struct PrivateChatLabels {
    QString partner; // the partner's handle and one space, right-aligned before "<-->"
    QString own;     // one space and the own handle, after "<-->"
    bool initiator = false;
};

// Private chat as the user sees it.
class PrivateChatUi {
public:
    virtual ~PrivateChatUi() = default;
    // "Quibo32 Private Chat Channel", a window of its own; the initiator's starts with the row
    // "Please Wait For Contact To Join ...".
    virtual std::unique_ptr<ChatView> openPrivateChat(PrivateChatLabels labels, ChatFields &fields) = 0;
    // "Quibo32 - Request For Private Chat": "`requester`" / "Wants You To Join A Private Chat
    // Session" / "Do You Want To Join?"; true for "&Yes", false for "&No".
    virtual QCoro::Task<bool> askPrivateChat(QString requester) = 0;
};

} // namespace quibo
