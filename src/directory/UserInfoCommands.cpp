#include "directory/UserInfoCommands.h"

#include "contacts/ContactTable.h"
#include "mainwindow/CommandHandlers.h"
#include "mainwindow/Selection.h"

namespace quibo {

UserInfoCommands::UserInfoCommands(Parts parts, CommandHandlers &commands)
    : m_selection(parts.selection), m_contacts(parts.contacts), m_contactPages(parts.dir, parts.shell)
{
    if (parts.registrationUi) {
        m_changeInfo = std::make_unique<ChangeInfo>(parts.logon, parts.dir, parts.config, parts.directory,
                                                    *parts.registrationUi, parts.notices);
        commands.add(Command::ChangeInfo, [this] { return m_changeInfo->run(); });
    }
    commands.add(Command::ContactWebPage, [this] { return openSelectedPage(pages::ContactPage::WebPage); });
    commands.add(Command::PersonalInfo, [this] { return openSelectedPage(pages::ContactPage::UserInfo); });
}

QCoro::Task<> UserInfoCommands::openSelectedPage(pages::ContactPage page)
{
    // The contact last chosen in the list; its address is checked before it goes into a page.
    return m_contactPages.openCommand(m_contacts.addressOf(m_selection.selectedContact), page);
}

UserInfoCommands::~UserInfoCommands() = default;

} // namespace quibo
