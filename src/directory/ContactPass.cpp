#include "directory/ContactPass.h"

#include "base/LogonState.h"
#include "contacts/ContactTable.h"
#include "contacts/ContactsFile.h"
#include "directory/Announcer.h"
#include "directory/DirectoryClient.h"
#include "notices/Notices.h"
#include "ports/MainWindowUi.h"

namespace quibo {

namespace {
// The address reply: its first line, at most 15 characters.
constexpr int AddressRead = 16;
} // namespace

ContactPass::ContactPass(LogonState &session, ContactTable &contacts, ContactsFile &file,
                         DirectoryClient &directory, Announcer &announcer, Notices &notices,
                         MainWindowView &mainWindow)
    : m_session(session), m_contacts(contacts), m_file(file), m_directory(directory), m_announcer(announcer),
      m_notices(notices), m_mainWindow(mainWindow)
{
}

QCoro::Task<> ContactPass::ResolveContacts()
{
    m_contacts.load(m_file.readOrCreate());

    const int count = m_contacts.contactCount();
    for (int i = 0; i < count; ++i) {
        const DirectoryReply reply = co_await m_directory.address(m_contacts.contact(i).handle);
        if (!reply.ok) {
            co_await m_notices.showSystemMessage(DialogOwner::Desktop,
                                                 QStringLiteral("Error getting user IP address"), QString());
            continue; // the record stays offline
        }
        m_contacts.applyLookup(i, reply_text::firstLine(reply.body, AddressRead));
    }
    m_contacts.FillOnlineList();

    co_await m_announcer.announce(QStringLiteral("|001"), DialogOwner::Desktop);

    m_session.contactsResolved = true;
    m_mainWindow.setLogOffButtonEnabled(true);
    m_mainWindow.setChannelButtonEnabled(true);
    m_mainWindow.setStatusText(QStringLiteral("Ready"));
}

} // namespace quibo
