#pragma once

#include "ScriptedDialogs.h"

#include "ports/ChatUi.h"

#include <QObject>

namespace quibo::test {

// A chat window as the scripted user saw it. It outlives the window, which stays open until
// the test or the behaviour closes it.
struct ChatWindowRecord : HeldDialog {
    QString label; // a channel's host label
    QStringList rows;
    ChatFields *fields = nullptr;

    // The user's hands, ignored once closed: `text` goes into the edit line, then Enter.
    void say(const QString &text)
    {
        press(ChatView::EnterButton, [this, text] { fields->m_message = text; });
    }
    void pressClose() { press(ChatView::CloseButton); }
};

// The channel window as the scripted user sees it: each stays open until the test closes it.
class ScriptedChannel : public ChannelUi {
public:
    std::unique_ptr<ChatView> openChannelWindow(QString hostLabel, ChatFields &fields) override;

    // Every channel window opened, oldest first.
    QList<std::shared_ptr<ChatWindowRecord>> windows;
    [[nodiscard]] std::shared_ptr<ChatWindowRecord> last() const
    {
        return windows.isEmpty() ? nullptr : windows.constLast();
    }
};

// The user's eyes and hands for private chat. The request takes the next of `answers` (none
// left: "&No"). The log has lines like "request|bob", "window|bob <--> anna", "row|anna> hi".
class ScriptedPrivateChat : public QObject, public PrivateChatUi {
    Q_OBJECT
public:
    std::unique_ptr<ChatView> openPrivateChat(PrivateChatLabels labels, ChatFields &fields) override;
    QCoro::Task<bool> askPrivateChat(QString requester) override;
    [[nodiscard]] ChatWindowRecord &last() const { return *windows.last(); }

    QList<bool> answers; // true: "&Yes"
    QStringList log;
    QList<std::shared_ptr<ChatWindowRecord>> windows;
};

} // namespace quibo::test
