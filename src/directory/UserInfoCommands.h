#pragma once

#include "directory/ContactPages.h"
#include "directory/Registration.h"

#include <memory>

namespace quibo {

struct Config;
struct LogonState;
struct Selection;
class CommandHandlers;
class ContactTable;
class DirectoryClient;
class Notices;
class RegistrationUi;
class Shell;
class WorkingDirectory;

// The main window's commands about the user's record and the contacts' pages: "&Change Your
// Info" (only with a registration port), "Contact's Web Page" and "Personal Info".
class UserInfoCommands {
public:
    struct Parts {
        const LogonState &logon;
        const Selection &selection;
        const ContactTable &contacts;
        const WorkingDirectory &dir;
        const Config &config;
        DirectoryClient &directory;
        RegistrationUi *registrationUi;
        Notices &notices;
        Shell &shell;
    };

    UserInfoCommands(Parts parts, CommandHandlers &commands);
    ~UserInfoCommands();

    // None without a registration port.
    ChangeInfo *changeInfo() { return m_changeInfo.get(); }
    ContactPages &contactPages() { return m_contactPages; }

private:
    QCoro::Task<> openSelectedPage(pages::ContactPage page);

    const Selection &m_selection;
    const ContactTable &m_contacts;
    ContactPages m_contactPages;
    std::unique_ptr<ChangeInfo> m_changeInfo;
};

} // namespace quibo
