#pragma once

#include "ports/MessageUi.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <optional>

namespace quibo::test {

class ScriptedDialogView;

// A message dialog as the scripted user saw it. It outlives the dialog.
struct MessageDialogRecord {
    QString kind; // "send" or "received"
    DialogOwner owner = DialogOwner::Desktop;
    QString shownTo;      // send: m_to when opened; received: m_from
    QString shownMessage; // m_message when opened
    bool open = true;
    int refreshCount = 0;
    QPointer<ScriptedDialogView> view;
    SendMessageFields *sendFields = nullptr;
    ReceivedMessageFields *receivedFields = nullptr;

    // The user's hands (nothing happens once the dialog has closed or while its buttons are off).
    void type(const QString &text); // send dialog: the edit now holds `text`
    void press(int controlId);
};

class ScriptedDialogView : public DialogView {
    Q_OBJECT
public:
    explicit ScriptedDialogView(std::shared_ptr<MessageDialogRecord> record);
    ~ScriptedDialogView() override;

    void close() override;
    [[nodiscard]] bool isOpen() const override { return m_record->open; }
    void refresh() override;
    void setButtonsEnabled(bool enabled) override { m_enabled = enabled; }
    [[nodiscard]] bool buttonsEnabled() const { return m_enabled; }

    // Emits the button's action from the event loop, as a real click would.
    void press(int controlId);

private:
    std::shared_ptr<MessageDialogRecord> m_record;
    bool m_enabled = true;
};

// The user's eyes and hands for the two message dialogs. Each dialog, as it opens, takes the
// next step of its script; with no step left, a send dialog stays open and a received dialog
// is closed with "&OK".
class ScriptedMessages : public QObject, public MessageUi {
    Q_OBJECT
public:
    enum class Step { Hold, Send, Cancel, Ok, Reply };
    struct SendStep {
        Step step = Step::Hold;
        std::optional<QString> typed; // typed before the step
    };

    std::unique_ptr<DialogView> openSendMessage(DialogOwner owner, SendMessageFields &fields) override;
    std::unique_ptr<DialogView> openReceivedMessage(ReceivedMessageFields &fields) override;

    QList<SendStep> sendScript;
    QList<Step> receivedScript;

    // Every dialog opened, oldest first; lines like "send|main|bob|typed" and "received|bob|hi".
    QList<std::shared_ptr<MessageDialogRecord>> dialogs;
    QStringList log;

    [[nodiscard]] std::shared_ptr<MessageDialogRecord> lastOf(const QString &kind) const;
    [[nodiscard]] int openCount() const;

private:
    std::unique_ptr<DialogView> open(std::shared_ptr<MessageDialogRecord> record,
                                     std::optional<SendStep> step);
};

} // namespace quibo::test
