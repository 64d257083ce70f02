#pragma once

#include "ScriptedMessages.h"

#include "ports/ConsentUi.h"

namespace quibo::test {

// A consent dialog as the scripted user saw it: "manage-contacts", "add-contact" or
// "request-to-add".
using ConsentDialogRecord = HeldDialog;

// The user's eyes and hands for the Manage Contacts, Add Contact and Request To Add dialogs;
// log lines "manage-contacts", "add-contact", "request-to-add <from>". Dialogs stay open until
// the test presses their buttons.
class ScriptedConsent : public ConsentUi, public DialogScript<HeldDialog> {
public:
    std::unique_ptr<DialogView> openManageContacts(ManageContactsFields &) override
    {
        return hold(QStringLiteral("manage-contacts"), std::make_shared<HeldDialog>());
    }
    std::unique_ptr<DialogView> openAddContact(AddContactFields &) override
    {
        return hold(QStringLiteral("add-contact"), std::make_shared<HeldDialog>());
    }
    std::unique_ptr<DialogView> openRequestToAdd(RequestToAddFields &fields) override
    {
        return hold(QStringLiteral("request-to-add"), std::make_shared<HeldDialog>(),
                    QStringLiteral("request-to-add ") + fields.m_from);
    }

    // The last open dialog of a kind, if any.
    [[nodiscard]] std::shared_ptr<HeldDialog> open(const QString &kind) const { return lastOf(kind, true); }
};

} // namespace quibo::test
