#pragma once

#include "directory/AddressLookups.h"

#include <QCoro/QCoroTask>

namespace quibo {

struct LogonState;
class Announcer;
class ContactBook;
class ContactKeys;
class DirectoryClient;
class MainWindowView;
class Notices;

// ResolveContacts, the last step of logon: loads "contacts.dat", asks the directory for every
// contact's address and key (several at a time), holds those whose key is not the one the user
// accepted (ContactKeys), lists the online ones, tells them the user is on, and makes the main
// window ready.
class ContactPass {
public:
    ContactPass(LogonState &session, ContactBook &book, ContactKeys &keys, DirectoryClient &directory,
                Announcer &announcer, Notices &notices, MainWindowView &mainWindow);

    QCoro::Task<> ResolveContacts();

private:
    LogonState &m_session;
    ContactBook &m_book;
    ContactKeys &m_keys;
    DirectoryClient &m_directory;
    Announcer &m_announcer;
    Notices &m_notices;
    MainWindowView &m_mainWindow;
    AddressLookups m_lookups;
};

} // namespace quibo
