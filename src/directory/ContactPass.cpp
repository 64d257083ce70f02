#include "directory/ContactPass.h"

#include "base/LogonState.h"
#include "contacts/ContactBook.h"
#include "directory/Announcer.h"
#include "notices/Notices.h"
#include "peer/ContactKeys.h"
#include "peer/Presence.h"
#include "ports/MainWindowUi.h"

namespace quibo {

namespace {
// The address reply: its first line, at most 15 characters.
constexpr int AddressRead = 16;
} // namespace

ContactPass::ContactPass(LogonState &session, ContactBook &book, ContactKeys &keys,
                         DirectoryClient &directory, Announcer &announcer, Notices &notices,
                         MainWindowView &mainWindow)
    : m_session(session), m_book(book), m_keys(keys), m_directory(directory), m_announcer(announcer),
      m_notices(notices), m_mainWindow(mainWindow), m_lookups(directory)
{
}

QCoro::Task<> ContactPass::ResolveContacts()
{
    // Through the book: it keeps the lines the table has no room for.
    m_book.LoadContacts();
    ContactTable &table = m_book.table();

    // All look-ups go out side by side; the answers are applied in table order, so the list,
    // the records and any failure messages come out as from one look-up after another.
    const int count = table.contactCount();
    QStringList handles;
    for (int i = 0; i < count; ++i)
        handles.append(table.contact(i).handle);
    m_lookups.start(handles);
    for (int i = 0; i < count; ++i) {
        const LookupAnswer answer = readLookup(co_await m_lookups.next(), m_directory.link(), AddressRead);
        if (answer.kind == LookupAnswer::Kind::Failed) {
            co_await m_notices.showSystemMessage(DialogOwner::Desktop,
                                                 QStringLiteral("Error getting user IP address"), QString());
            continue; // the record stays offline
        }
        // An unknown handle is offline.
        table.applyLookup(i, answer.kind == LookupAnswer::Kind::Found ? answer.address : QString(), answer.address6);
        if (answer.kind == LookupAnswer::Kind::Found)
            m_keys.learn(i, answer.secure, answer.fingerprint);
        else
            table.setKey(i, false, {});
        table.setReach(i, answer.address6, answer.ports);
    }
    table.FillOnlineList();

    co_await m_announcer.announce(presence::Online, DialogOwner::Desktop);

    m_session.contactsResolved = true;
    m_mainWindow.setLogOffButtonEnabled(true);
    m_mainWindow.setChannelButtonEnabled(true);
    m_mainWindow.setStatusText(QStringLiteral("Ready"));
}

} // namespace quibo
