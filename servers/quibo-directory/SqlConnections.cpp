#include "SqlConnections.h"

#include "DirectoryStore.h"

#include <QSqlError>

#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

using namespace Qt::StringLiterals;

namespace quibo::directory {

namespace {

struct NamedConnection {
    QString name;
    SqlConnection connection;
};

// Qt's connection registry is thread-safe, but its lock is inline atomics in a library built
// without ThreadSanitizer, which then takes workers adding and removing connections at once
// for a race. Our own lock around every change makes their order visible to it.
std::mutex registryChanges;

void close(std::unique_ptr<NamedConnection> named)
{
    const std::lock_guard lock(registryChanges);
    const QString name = named->name;
    named->connection.statements.clear();
    named->connection.database.close();
    named.reset();
    QSqlDatabase::removeDatabase(name);
}

// The connections of one thread. Each thread closes its own before it ends, while the
// program is whole (DirectoryStore::closeThreadConnection); what it left open is closed at
// its end.
class ThreadConnections {
public:
    ThreadConnections() = default;
    ThreadConnections(const ThreadConnections &) = delete;
    ThreadConnections &operator=(const ThreadConnections &) = delete;
    ~ThreadConnections()
    {
        for (auto &[store, named] : m_open)
            close(std::move(named));
    }

    NamedConnection *find(quint64 store)
    {
        const auto it = m_open.find(store);
        return it == m_open.end() ? nullptr : it->second.get();
    }
    NamedConnection &add(quint64 store, std::unique_ptr<NamedConnection> named)
    {
        return *(m_open[store] = std::move(named));
    }
    void drop(quint64 store)
    {
        const auto it = m_open.find(store);
        if (it == m_open.end())
            return;
        std::unique_ptr<NamedConnection> named = std::move(it->second);
        m_open.erase(it);
        close(std::move(named));
    }

private:
    std::map<quint64, std::unique_ptr<NamedConnection>> m_open;
};

thread_local ThreadConnections threadConnections;
std::atomic<quint64> connectionSerial{0};

QSqlDatabase addConnection(const QString &name, const DatabaseLocation &location)
{
    const std::lock_guard lock(registryChanges);
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
    db.setDatabaseName(location.sqlitePath);
    db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=%1"_s.arg(sqliteBusyTimeoutMs));
    return db;
}

// Per-connection settings: write-ahead log, and a commit reaches the disk before the reply
// is sent.
std::optional<QString> configure(QSqlDatabase &db)
{
    QSqlQuery query(db);
    if (!query.exec(u"PRAGMA journal_mode=WAL"_s) || !query.next())
        return describeSqlError(query.lastError());
    if (query.value(0).toString().compare(u"wal"_s, Qt::CaseInsensitive) != 0)
        return u"the database cannot use write-ahead logging (journal mode %1)"_s.arg(
            query.value(0).toString());
    if (!query.exec(u"PRAGMA synchronous=FULL"_s))
        return describeSqlError(query.lastError());
    return std::nullopt;
}

} // namespace

SqlConnection &threadConnection(quint64 store, const DatabaseLocation &location)
{
    if (NamedConnection *open = threadConnections.find(store))
        return open->connection;

    auto named = std::make_unique<NamedConnection>();
    named->name = u"quibo-directory-%1"_s.arg(connectionSerial.fetch_add(1));
    named->connection.database = addConnection(named->name, location);
    QSqlDatabase &db = named->connection.database;
    std::optional<QString> problem;
    if (!db.isValid())
        problem = u"the Qt SQL driver %1 is not installed"_s.arg(u"QSQLITE"_s);
    else if (!db.open())
        problem = describeSqlError(db.lastError());
    else
        problem = configure(db);
    if (problem) {
        close(std::move(named));
        throw StoreError(*problem);
    }
    return threadConnections.add(store, std::move(named)).connection;
}

void dropThreadConnection(quint64 store)
{
    threadConnections.drop(store);
}

namespace {

sqlite3_mutex_methods builtInMutexes{};

void pause()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Every read transaction of every connection to one file passes one lock of SQLite's, held
// for a few instructions or one fcntl. The built-in lock sleeps at once when it is taken,
// which costs two context switches; the holder is nearly always done within a short spin.
void enterSpinningFirst(sqlite3_mutex *mutex)
{
    if (builtInMutexes.xMutexTry(mutex) == SQLITE_OK)
        return;
    const auto giveUp = std::chrono::steady_clock::now() + sqliteLockSpin;
    do {
        for (int i = 0; i < 32; ++i) {
            pause();
            if (builtInMutexes.xMutexTry(mutex) == SQLITE_OK)
                return;
        }
    } while (std::chrono::steady_clock::now() < giveUp);
    builtInMutexes.xMutexEnter(mutex);
}

} // namespace

void configureSqliteLibrary()
{
    // The library fills in its built-in locks when it starts; settings are taken only while
    // it is stopped.
    if (sqlite3_initialize() != SQLITE_OK || sqlite3_shutdown() != SQLITE_OK)
        return;
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    sqlite3_config(SQLITE_CONFIG_GETMUTEX, &builtInMutexes);
    // On one processor the holder cannot run while we spin.
    if (std::thread::hardware_concurrency() > 1 && builtInMutexes.xMutexTry && builtInMutexes.xMutexEnter) {
        sqlite3_mutex_methods spinning = builtInMutexes;
        spinning.xMutexEnter = enterSpinningFirst;
        sqlite3_config(SQLITE_CONFIG_MUTEX, &spinning);
    }
}

QString describeSqlError(const QSqlError &error)
{
    // SQLITE_BUSY and SQLITE_LOCKED: another program holds the write lock.
    if (error.nativeErrorCode() == u"5"_s || error.nativeErrorCode() == u"6"_s)
        return u"the database is locked by another program"_s;
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    if (error.driverText().contains(u"Error opening database"_s))
        return u"cannot open the database file: %1"_s.arg(text);
    return text;
}

} // namespace quibo::directory
