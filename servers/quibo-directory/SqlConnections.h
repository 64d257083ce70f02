#pragma once

#include "DatabaseLocation.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <chrono>
#include <map>

namespace quibo::directory {

// How long a write waits for another writer of the same SQLite file.
inline constexpr int sqliteBusyTimeoutMs = 5000;
// How long a thread spins on a lock of SQLite's before it sleeps.
inline constexpr std::chrono::microseconds sqliteLockSpin{30};

// One open database connection of one thread, with its prepared statements.
struct SqlConnection {
    QSqlDatabase database;
    std::map<QString, QSqlQuery> statements;
};

// The calling thread's connection for the store numbered `store`, opened on first use.
// Throws StoreError when the database cannot be opened.
SqlConnection &threadConnection(quint64 store, const DatabaseLocation &location);

// Closes the calling thread's connection for `store`, if it has one; the next use opens
// a new one (after a failure, the connection may be broken).
void dropThreadConnection(quint64 store);

// Call once at start, before any connection opens. SQLite keeps memory statistics behind one
// lock that every allocation of every connection takes, which makes concurrent reads queue;
// and its locks spin for a moment before they sleep.
void configureSqliteLibrary();

// The text of a driver failure, worded for an operator.
QString describeSqlError(const QSqlError &error);

} // namespace quibo::directory
