#pragma once

#include <QCoro/QCoroTask>
#include <QObject>
#include <QStringList>

namespace quibo {

class ContactKeys;
class ContactTable;
class DirectoryClient;
class Dispatcher;

// A secure contact's "|001" names its IPv4 address alone: the directory is asked for the rest
// (its IPv6 address, published ports and key), a bounded number of look-ups at a time, each a
// task of its own. A key other than the one held holds the contact until the user accepts it
// (ContactKeys), as at logon. A "|001" in clear, from a classic contact, asks nothing.
class OnlineLookups {
public:
    OnlineLookups(ContactTable &table, ContactKeys &keys, DirectoryClient &directory, QObject &owner,
                  Dispatcher &dispatcher);

private:
    void cameOnline(const QString &handle);
    QCoro::Task<> lookUp(QString handle);

    ContactTable &m_table;
    ContactKeys &m_keys;
    DirectoryClient &m_directory;
    QObject &m_owner; // of the look-ups' tasks
    QStringList m_asking;
};

} // namespace quibo
