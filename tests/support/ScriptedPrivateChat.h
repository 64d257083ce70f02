#pragma once

#include "ports/ChatUi.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

namespace quibo::test {

class ScriptedChatView;

// A chat window as the scripted user saw it; it outlives the window, which stays open until
// the test or the behaviour closes it.
struct ChatWindowRecord {
    PrivateChatLabels labels;
    QStringList rows;
    bool open = true;
    bool buttonsEnabled = true;
    ChatFields *fields = nullptr;
    QPointer<ScriptedChatView> view;

    // The user's hands, delivered from the event loop and ignored once closed or while the
    // buttons are off: a button (ChatView::CloseButton for "Close Channel"), or `text` typed
    // into the edit line and Enter.
    void press(int controlId, const QString &typed = {});
    void enter(const QString &text) { press(ChatView::EnterButton, text); }
};

class ScriptedChatView : public ChatView {
    Q_OBJECT
public:
    ScriptedChatView(std::shared_ptr<ChatWindowRecord> record, QStringList &log)
        : m_record(std::move(record)), m_log(log)
    {
        m_record->view = this;
    }
    ~ScriptedChatView() override { m_record->open = false; }

    void close() override;
    [[nodiscard]] bool isOpen() const override { return m_record->open; }
    void refresh() override {}
    void setButtonsEnabled(bool enabled) override { m_record->buttonsEnabled = enabled; }
    void appendRow(QString row) override;

private:
    std::shared_ptr<ChatWindowRecord> m_record;
    QStringList &m_log;
};

// The user's eyes and hands for private chat. The request takes the next answer of `answers`
// (none left: "&No"). The log has lines like "request|bob", "window|bob <--> anna",
// "row|anna> hi" and "closed".
class ScriptedPrivateChat : public QObject, public PrivateChatUi {
    Q_OBJECT
public:
    std::unique_ptr<ChatView> openPrivateChat(PrivateChatLabels labels, ChatFields &fields) override;
    QCoro::Task<bool> askPrivateChat(QString requester) override;

    [[nodiscard]] ChatWindowRecord &last() const { return *windows.last(); }
    [[nodiscard]] bool isOpen() const { return !windows.isEmpty() && last().open; }

    QList<bool> answers; // true: "&Yes"
    QStringList log;
    QList<std::shared_ptr<ChatWindowRecord>> windows;
};

} // namespace quibo::test
