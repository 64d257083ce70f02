#pragma once

#include "ScriptedMessages.h"

#include "ports/RegistrationUi.h"

namespace quibo::test {

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
