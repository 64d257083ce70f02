#pragma once

#include "contacts/ContactTable.h"
#include "contacts/ContactsFile.h"
#include "ports/DialogOwner.h"

#include <QCoro/QCoroTask>

namespace quibo {

class Notices;

// The contact table together with "contacts.dat": the operations that touch both.
class ContactBook {
public:
    ContactBook(ContactTable &table, ContactsFile &file, Notices &notices);

    // Reads "contacts.dat" (creating it with "LoopBack" when missing) into the table. The lines
    // beyond the table's capacity are kept aside and written back as they were on rewrites.
    void LoadContacts();
    // Adds the handle at the end of the file; false when the file cannot be written. Call it
    // before the table's AddContactRecord: a handle the full table can no longer take joins
    // the lines kept aside.
    bool AppendContactToFile(const QString &handle);
    // Marks the contact deleted and rewrites the file without it, or refuses with a message:
    // "Contact Deleted!", "Contact Already Deleted" or "You Cannot Delete All Of Your Contacts".
    QCoro::Task<> DeleteContact(int index, DialogOwner owner);

    ContactTable &table() { return m_table; }

private:
    ContactTable &m_table;
    ContactsFile &m_file;
    Notices &m_notices;
    QByteArray m_beyondCapacity;
};

} // namespace quibo
