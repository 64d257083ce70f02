#pragma once

#include "ports/ChatUi.h"

#include <QList>
#include <QPointer>
#include <QStringList>

#include <memory>

namespace quibo::test {

class ScriptedChatView;

// A chat window as the scripted user saw it; it outlives the window.
struct ChatWindowRecord {
    QString label; // the host label, or the partner's and own labels
    QStringList rows;
    bool open = true;
    ChatFields *fields = nullptr;
    QPointer<ScriptedChatView> view;

    // The user's hands: types `text` and presses Enter; "Close Channel"; the close box.
    void say(const QString &text);
    void pressClose();
    void closeBox();
};

class ScriptedChatView : public ChatView {
    Q_OBJECT
public:
    explicit ScriptedChatView(std::shared_ptr<ChatWindowRecord> record);
    ~ScriptedChatView() override;

    void appendRow(QString row) override { m_record->rows.append(row); }
    void close() override;
    [[nodiscard]] bool isOpen() const override { return m_record->open; }
    void refresh() override {}
    void setButtonsEnabled(bool) override {}

private:
    std::shared_ptr<ChatWindowRecord> m_record;
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

} // namespace quibo::test
