#pragma once

#include "base/ViewSlot.h"
#include "ports/ConsentUi.h"

#include <QCoro/QCoroTask>

#include <memory>

namespace quibo {

class CommandHandlers;
class ContactBook;
class DirectoryClient;
class Notices;

// The Manage Contacts window and adding a contact from it, in the main window's task.
class ContactManagement {
public:
    ContactManagement(ContactBook &book, DirectoryClient &directory, Notices &notices, ConsentUi &ui,
                      CommandHandlers &commands);

    const ManageContactsFields &manageFields() const { return m_manage; }
    const AddContactFields &addFields() const { return m_add; }

    // "&Manage Contacts" once logged on: every record, deleted ones included.
    QCoro::Task<> OpenManageContacts();
    // OK of Add Contact: the directory check, then the file, the table and both lists.
    QCoro::Task<> AddContact(QString name);

private:
    QCoro::Task<> runAddDialog();

    ContactBook &m_book;
    DirectoryClient &m_directory;
    Notices &m_notices;
    ConsentUi &m_ui;
    ManageContactsFields m_manage;
    AddContactFields m_add;
    ViewSlot<DialogView> m_manageView{"Manage Contacts"};
    ViewSlot<DialogView> m_addView{"Add Contact"};
};

} // namespace quibo
