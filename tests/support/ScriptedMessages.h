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

// A dialog the behaviour holds open, as the scripted user saw it. It outlives the dialog.
struct HeldDialog {
    virtual ~HeldDialog() = default;
    QString kind; // "send", "manage-contacts", "registration", ...
    bool open = true;
    bool buttonsEnabled = true;
    int enableCount = 0; // times the behaviour turned the buttons back on
    int refreshCount = 0;
    QPointer<ScriptedDialogView> view;

    // The user's hands: a click, delivered from the event loop (ignored once closed or while
    // the buttons are off), and the close box.
    void press(int controlId);
    void closeBox();
    // The behaviour redrew the dialog from its fields.
    virtual void refreshed() {}
};

class ScriptedDialogView : public DialogView {
    Q_OBJECT
public:
    explicit ScriptedDialogView(std::shared_ptr<HeldDialog> record) : m_record(std::move(record))
    {
        m_record->view = this;
    }
    ~ScriptedDialogView() override { m_record->open = false; }

    void close() override;
    [[nodiscard]] bool isOpen() const override { return m_record->open; }
    void refresh() override;
    void setButtonsEnabled(bool enabled) override;

private:
    std::shared_ptr<HeldDialog> m_record;
};

// The dialogs a scripted port opened, oldest first, with a log line for each.
template <typename Record> struct DialogScript {
    QStringList log;
    QList<std::shared_ptr<Record>> dialogs;

    [[nodiscard]] std::shared_ptr<Record> last() const
    {
        return dialogs.isEmpty() ? nullptr : dialogs.constLast();
    }
    // The last dialog of `kind`; with `openOnly`, the last one still open.
    [[nodiscard]] std::shared_ptr<Record> lastOf(const QString &kind, bool openOnly = false) const
    {
        for (auto it = dialogs.crbegin(); it != dialogs.crend(); ++it) {
            if ((*it)->kind == kind && (!openOnly || (*it)->open))
                return *it;
        }
        return nullptr;
    }

protected:
    // Logs `line` (the kind unless given) and opens `record` as a held dialog.
    std::unique_ptr<DialogView> hold(const QString &kind, std::shared_ptr<Record> record,
                                     const QString &line = {})
    {
        record->kind = kind;
        log.append(line.isEmpty() ? kind : line);
        dialogs.append(record);
        return std::make_unique<ScriptedDialogView>(std::move(record));
    }
};

// A message dialog as the scripted user saw it ("send" or "received").
struct MessageDialogRecord : HeldDialog {
    DialogOwner owner = DialogOwner::Desktop;
    QString shownTo;      // send: m_to when last drawn; received: m_from
    QString shownMessage; // m_message when opened
    SendMessageFields *sendFields = nullptr;

    // Send dialog: the edit now holds `text`.
    void type(const QString &text)
    {
        if (open && sendFields)
            sendFields->m_message = text;
    }
    void refreshed() override
    {
        if (sendFields)
            shownTo = sendFields->m_to;
    }
};

// The user's eyes and hands for the two message dialogs. Each dialog, as it opens, takes the
// next step of its script; with no step left, a send dialog stays open and a received dialog
// is closed with "&OK".
class ScriptedMessages : public MessageUi, public DialogScript<MessageDialogRecord> {
public:
    // Each step but Hold presses its button.
    enum class Step {
        Hold = 0,
        Send = SendButton,
        Cancel = CancelButton,
        Ok = OkButton,
        Reply = ReplyButton
    };
    struct SendStep {
        Step step = Step::Hold;
        std::optional<QString> typed; // typed before the step
    };

    std::unique_ptr<DialogView> openSendMessage(DialogOwner owner, SendMessageFields &fields) override;
    std::unique_ptr<DialogView> openReceivedMessage(ReceivedMessageFields &fields) override;

    QList<SendStep> sendScript;
    QList<Step> receivedScript;

    // Log lines like "send|main|bob|typed" and "received|bob|hi".
    [[nodiscard]] int openCount() const;

private:
    std::unique_ptr<DialogView> open(const QString &kind, std::shared_ptr<MessageDialogRecord> record,
                                     const QString &line, SendStep step);
};

} // namespace quibo::test
