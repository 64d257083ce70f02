#pragma once

#include "ports/ChatUi.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

namespace quibo::test {

// A chat window as the scripted user saw it. It outlives the window, which stays open until
// the test or the behaviour closes it.
struct ChatWindowRecord {
    QString label; // a channel's host label
    QStringList rows;
    bool open = true;
    bool buttonsEnabled = true;
    ChatFields *fields = nullptr;
    QPointer<ChatView> view;

    // The user's hands, from the event loop, ignored once closed or while the buttons are off:
    // `typed` goes into the edit line, then the button (ChatView::EnterButton, CloseButton).
    void press(int controlId, const QString &typed = {});
    void say(const QString &text) { press(ChatView::EnterButton, text); }
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
