#pragma once

#include "ports/ConsentUi.h"
#include "ports/MessageUi.h"
#include "ports/RegistrationUi.h"

#include <QList>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace quibo::test {

// A dialog the behaviour holds open, as the scripted user saw it. It outlives the dialog.
struct HeldDialog {
    virtual ~HeldDialog() = default;
    QString kind; // "send", "manage-contacts", "registration", ...
    bool open = true;
    bool buttonsEnabled = true;
    int enableCount = 0;  // times the behaviour turned the buttons back on
    int forwardCount = 0; // times it was brought forward
    QPointer<DialogView> view;

    // The user's hands: a click, delivered from the event loop (ignored once closed or while
    // the buttons are off), `before` just ahead of it; and the close box.
    void press(int controlId, std::function<void()> before = {});
    void closeBox();
    // The behaviour redrew the dialog from its fields.
    virtual void refreshed() {}
};

// The scripted side of any dialog view: it records into `HeldDialog`.
template <typename View = DialogView> class ScriptedView : public View {
public:
    explicit ScriptedView(std::shared_ptr<HeldDialog> record) : m_record(std::move(record))
    {
        m_record->view = this;
    }
    ~ScriptedView() override { m_record->open = false; }

    void close() override
    {
        if (std::exchange(m_record->open, false))
            Q_EMIT this->action(DialogView::Closed);
    }
    [[nodiscard]] bool isOpen() const override { return m_record->open; }
    void refresh() override { m_record->refreshed(); }
    void setButtonsEnabled(bool enabled) override
    {
        m_record->buttonsEnabled = enabled;
        if (enabled)
            ++m_record->enableCount;
    }
    void bringForward() override { ++m_record->forwardCount; }

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
        return std::make_unique<ScriptedView<>>(std::move(record));
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

// A Manage Contacts or Add Contact dialog: what the user clicks in the list or types goes into
// its fields.
struct ContactsDialog : HeldDialog {
    ManageContactsFields *manage = nullptr;
    AddContactFields *add = nullptr;
};

// The user's eyes and hands for the Manage Contacts, Add Contact and Request To Add dialogs;
// log lines "manage-contacts", "add-contact", "request-to-add <from>". Dialogs stay open until
// the test presses their buttons.
class ScriptedConsent : public ConsentUi, public DialogScript<HeldDialog> {
public:
    std::unique_ptr<DialogView> openManageContacts(ManageContactsFields &fields) override
    {
        auto record = std::make_shared<ContactsDialog>();
        record->manage = &fields;
        return hold(QStringLiteral("manage-contacts"), record);
    }
    std::unique_ptr<DialogView> openAddContact(AddContactFields &fields) override
    {
        auto record = std::make_shared<ContactsDialog>();
        record->add = &fields;
        return hold(QStringLiteral("add-contact"), record);
    }
    std::unique_ptr<DialogView> openRequestToAdd(RequestToAddFields &fields) override
    {
        return hold(QStringLiteral("request-to-add"), std::make_shared<HeldDialog>(),
                    QStringLiteral("request-to-add ") + fields.m_from);
    }

    // The last open dialog of a kind, if any.
    [[nodiscard]] std::shared_ptr<HeldDialog> open(const QString &kind) const { return lastOf(kind, true); }
    [[nodiscard]] std::shared_ptr<ContactsDialog> openContacts(const QString &kind) const
    {
        return std::static_pointer_cast<ContactsDialog>(open(kind));
    }
};

// The registration or change-info dialog as the scripted user saw it.
struct FormDialogRecord : HeldDialog {
    RegistrationFields *registration = nullptr;
    ChangeInfoFields *change = nullptr;
    ChangeInfoFields shownChange; // the change-info fields as the dialog opened
};

// The user's eyes and hands for the registration, handle-in-use and change-info dialogs; log
// lines "registration", "handle-in-use", "change-info". Dialogs stay open until the test
// presses their buttons; the handle-in-use box is closed at once.
class ScriptedRegistration : public RegistrationUi, public DialogScript<FormDialogRecord> {
public:
    std::unique_ptr<DialogView> openRegistration(RegistrationFields &fields) override
    {
        auto record = std::make_shared<FormDialogRecord>();
        record->registration = &fields;
        return hold(QStringLiteral("registration"), std::move(record));
    }
    QCoro::Task<> showHandleInUse() override
    {
        log.append(QStringLiteral("handle-in-use"));
        co_return;
    }
    std::unique_ptr<DialogView> openChangeInfo(ChangeInfoFields &fields) override
    {
        auto record = std::make_shared<FormDialogRecord>();
        record->change = &fields;
        record->shownChange = fields;
        return hold(QStringLiteral("change-info"), std::move(record));
    }
};

} // namespace quibo::test
