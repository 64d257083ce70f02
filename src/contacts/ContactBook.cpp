#include "contacts/ContactBook.h"

#include "notices/Notices.h"

namespace quibo {

ContactBook::ContactBook(ContactTable &table, ContactsFile &file, Notices &notices)
    : m_table(table), m_file(file), m_notices(notices)
{
}

void ContactBook::LoadContacts()
{
    const contacts_file::Split content = contacts_file::split(m_file.readOrCreate(), ContactTable::Capacity);
    m_table.load(content.handles);
    m_beyondCapacity = content.rest;
}

bool ContactBook::AppendContactToFile(const QString &handle)
{
    if (!m_file.append(handle))
        return false;
    if (m_table.contactCount() >= ContactTable::Capacity)
        m_beyondCapacity = contacts_file::withLine(m_beyondCapacity, handle);
    return true;
}

QCoro::Task<> ContactBook::DeleteContact(int index, DialogOwner owner)
{
    if (!m_table.isValid(index))
        co_return;
    if (m_table.notDeletedCount() < 2) {
        if (m_table.contact(index).deleted)
            co_await m_notices.showSystemMessage(owner, QStringLiteral("Contact Already Deleted"),
                                                 QStringLiteral("Restart To Make Changes Take Effect"));
        else
            co_await m_notices.showSystemMessage(
                owner, QStringLiteral("You Cannot Delete All Of Your Contacts"), QString());
        co_return;
    }
    if (!m_file.rewrite(contacts_file::format(m_table.keptHandles(index)) + m_beyondCapacity)) {
        // The file still names the contact: say so rather than claim a deletion.
        co_await m_notices.showSystemMessage(owner, QStringLiteral("Contact Not Deleted"),
                                             QStringLiteral("Can't Write contacts.dat"));
        co_return;
    }
    m_table.markDeleted(index);
    co_await m_notices.showSystemMessage(owner, QStringLiteral("Contact Deleted!"),
                                         QStringLiteral("Change Will Take Effect When You Restart"));
}

} // namespace quibo
