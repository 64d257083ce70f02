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

// The user's eyes and hands for the registration, handle-in-use and change-info dialogs.
// Dialogs stay open until the test presses their buttons; the handle-in-use box is closed at once.
class ScriptedRegistration : public QObject, public RegistrationUi {
    Q_OBJECT
public:
    std::unique_ptr<DialogView> openRegistration(RegistrationFields &fields) override;
    QCoro::Task<> showHandleInUse() override;
    std::unique_ptr<DialogView> openChangeInfo(ChangeInfoFields &fields) override;

    // "registration", "handle-in-use", "change-info".
    QStringList log;
    QList<std::shared_ptr<FormDialogRecord>> dialogs;
    [[nodiscard]] std::shared_ptr<FormDialogRecord> last() const;

private:
    std::unique_ptr<DialogView> open(const QString &kind, std::shared_ptr<FormDialogRecord> record);
};

} // namespace quibo::test
