#pragma once

#include "directory/Pages.h"

#include <QCoro/QCoroTask>
#include <QString>

namespace quibo {

class Shell;
class WorkingDirectory;

// "Contact's Web Page" and "Personal Info": the contact's page on its own web server,
// opened in the browser through the redirect page "webpage.htm".
class ContactPages {
public:
    ContactPages(const WorkingDirectory &dir, Shell &shell);

    // Writes "webpage.htm" for the contact's page and opens it. An address that is not a
    // dotted IPv4 address (an offline contact's "0", or anything odd from the directory) writes
    // and opens nothing and returns false; so does a failed write.
    bool open(const QString &contactAddress, pages::ContactPage page);
    // The same as a main window command.
    QCoro::Task<> openCommand(QString contactAddress, pages::ContactPage page);

private:
    const WorkingDirectory &m_dir;
    Shell &m_shell;
};

} // namespace quibo
