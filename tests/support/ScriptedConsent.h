#pragma once

#include "ScriptedMessages.h"

#include "ports/ConsentUi.h"

namespace quibo::test {

// A consent dialog as the scripted user saw it: "manage-contacts", "add-contact" or
// "request-to-add".
struct ConsentDialogRecord : HeldDialog {
    QString kind;
};

// The user's eyes and hands for the Manage Contacts, Add Contact and Request To Add dialogs.
// Dialogs stay open until the test presses their buttons.
class ScriptedConsent : public QObject, public ConsentUi {
    Q_OBJECT
public:
    std::unique_ptr<DialogView> openManageContacts(ManageContactsFields &fields) override;
    std::unique_ptr<DialogView> openAddContact(AddContactFields &fields) override;
    std::unique_ptr<DialogView> openRequestToAdd(RequestToAddFields &fields) override;

    // "manage-contacts", "add-contact", "request-to-add <from>".
    QStringList log;
    QList<std::shared_ptr<ConsentDialogRecord>> dialogs;
    // The last open dialog of a kind, if any.
    [[nodiscard]] std::shared_ptr<ConsentDialogRecord> open(const QString &kind) const;

private:
    std::unique_ptr<DialogView> record(const QString &kind, const QString &logLine);
};

} // namespace quibo::test
