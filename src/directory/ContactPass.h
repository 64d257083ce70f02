#pragma once

#include <QCoro/QCoroTask>

namespace quibo {

struct SessionState;
class Announcer;
class ContactBook;
class DirectoryClient;
class MainWindowView;
class Notices;

// ResolveContacts, the last step of logon: loads "contacts.dat", asks the directory for every
// contact's address, lists the online ones, tells them the user is on, and makes the main
// window ready.
class ContactPass {
public:
    ContactPass(SessionState &session, ContactBook &book, DirectoryClient &directory, Announcer &announcer,
                Notices &notices, MainWindowView &mainWindow);

    QCoro::Task<> ResolveContacts();

private:
    SessionState &m_session;
    ContactBook &m_book;
    DirectoryClient &m_directory;
    Announcer &m_announcer;
    Notices &m_notices;
    MainWindowView &m_mainWindow;
};

} // namespace quibo
