#pragma once

#include "ports/DialogOwner.h"
#include "ports/DialogView.h"

#include <QList>
#include <QString>

#include <memory>

namespace quibo {

// The data members of the Manage Contacts window. The selection is remembered between
// showings; item positions are table indexes.
struct ManageContactsFields {
    struct Item {
        QString text;
        bool online = false; // image 0 online, 1 offline
    };
    QList<Item> items;
    int selection = -1; // the item last clicked, -1 for none
};

struct AddContactFields {
    QString m_contactName; // at most 10 bytes
    QString m_status = QStringLiteral("Please Wait ...");
};

struct RequestToAddFields {
    QString m_from;
};

// The Manage Contacts, Add Contact and Request To Add dialogs. Each writes its edits (the
// selection, the name) into the fields it was opened over and reports its buttons.
class ConsentUi {
public:
    static constexpr int ExitButton = 1;      // "&Exit"
    static constexpr int AddButton = 1055;    // "&Add Contact"
    static constexpr int DeleteButton = 1056; // "&Delete Contact"
    static constexpr int OkButton = 1;        // "&OK" of Add Contact
    static constexpr int CancelButton = 2;    // "&Cancel" of Add Contact
    static constexpr int YesButton = 1;       // "&Yes"
    static constexpr int NoButton = 2;        // "&No"

    virtual ~ConsentUi() = default;
    // "Quibo32 Manage Contact List", window-modal to the main window: ExitButton, AddButton,
    // DeleteButton.
    virtual std::unique_ptr<DialogView> openManageContacts(ManageContactsFields &fields) = 0;
    // "Quibo32 - Add Contact", modal to the Manage Contacts window: OkButton, CancelButton.
    virtual std::unique_ptr<DialogView> openAddContact(AddContactFields &fields) = 0;
    // "Quibo32 - Request To Add", a window of its own: YesButton, NoButton.
    virtual std::unique_ptr<DialogView> openRequestToAdd(RequestToAddFields &fields) = 0;
};

} // namespace quibo
