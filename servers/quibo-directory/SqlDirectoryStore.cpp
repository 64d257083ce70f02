#include "SqlDirectoryStore.h"

#include "Schema.h"
#include "SqlConnections.h"

#include <QSqlError>

#include <atomic>

using namespace Qt::StringLiterals;

namespace quibo::directory {

namespace {

std::atomic<quint64> storeSerial{0};

const QString infoColumns = u"first_name, last_name, email, city, state, country, sex, age, persinfo"_s;

QVariantList infoValues(const UserInfo &info)
{
    QVariantList values;
    for (const UserField &field : userFields) {
        if (field.member != &UserInfo::password)
            values.append(info.*field.member);
    }
    return values;
}

} // namespace

SqlDirectoryStore::SqlDirectoryStore(DatabaseLocation location)
    : m_location(std::move(location)), m_serial(storeSerial.fetch_add(1))
{
}

SqlDirectoryStore::~SqlDirectoryStore()
{
    dropThreadConnection(m_serial);
}

int SqlDirectoryStore::run(const QString &sql, const QVariantList &values, const Reader &read)
{
    SqlConnection &connection = threadConnection(m_serial, m_location);
    auto [it, added] = connection.statements.try_emplace(sql, connection.database);
    QSqlQuery &query = it->second;
    bool ok = true;
    if (added) {
        query.setForwardOnly(true);
        ok = query.prepare(sql);
    }
    if (ok) {
        for (qsizetype i = 0; i < values.size(); ++i)
            query.bindValue(static_cast<int>(i), values.at(i));
        ok = query.exec();
    }
    if (!ok)
        fail(query.lastError());
    const int changed = query.numRowsAffected();
    if (read)
        read(query);
    // Ends the statement, so that SQLite does not keep an old snapshot of the file open.
    query.finish();
    return changed;
}

void SqlDirectoryStore::runUnprepared(const QString &sql)
{
    QSqlError error;
    {
        QSqlQuery query(threadConnection(m_serial, m_location).database);
        if (query.exec(sql))
            return;
        error = query.lastError();
    }
    fail(error);
}

void SqlDirectoryStore::fail(const QSqlError &error)
{
    const QString problem = describeSqlError(error);
    // The connection may be broken (a restarted server): start afresh next time.
    dropThreadConnection(m_serial);
    throw StoreError(problem);
}

void SqlDirectoryStore::prepare()
{
    // Takes the write lock now, so that a locked file is reported at start, soon.
    runUnprepared(u"PRAGMA busy_timeout = 1500"_s);
    runUnprepared(u"BEGIN IMMEDIATE"_s);
    runUnprepared(QString::fromLatin1(schema::createUsers));
    runUnprepared(QString::fromLatin1(schema::createBroadcast));
    runUnprepared(u"COMMIT"_s);
    runUnprepared(u"PRAGMA busy_timeout = %1"_s.arg(sqliteBusyTimeoutMs));
}

std::optional<QString> SqlDirectoryStore::address(const QString &handle)
{
    std::optional<QString> result;
    run(u"SELECT address FROM quibo_users WHERE handle = ?"_s, {handle}, [&](QSqlQuery &query) {
        if (query.next())
            result = query.value(0).toString();
    });
    return result;
}

std::optional<UserInfo> SqlDirectoryStore::user(const QString &handle)
{
    std::optional<UserInfo> result;
    run(u"SELECT password, "_s + infoColumns + u" FROM quibo_users WHERE handle = ?"_s, {handle},
        [&](QSqlQuery &query) {
            if (!query.next())
                return;
            UserInfo info;
            int column = 0;
            for (const UserField &field : userFields)
                info.*field.member = query.value(column++).toString();
            result = info;
        });
    return result;
}

RegisterOutcome SqlDirectoryStore::registerUser(const QString &handle, const UserInfo &info)
{
    // No statement ever deletes a user, so once the insert finds the handle taken, the
    // update decides alone whether the password fits.
    const QVariantList fields = infoValues(info);
    QVariantList insertValues{handle, info.password};
    insertValues.append(fields);
    const int inserted = run(u"INSERT INTO quibo_users (handle, password, "_s + infoColumns +
                                 u", address) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '0') "
                                 "ON CONFLICT (handle) DO NOTHING"_s,
                             insertValues);
    if (inserted > 0)
        return RegisterOutcome::Created;

    QVariantList updateValues = fields;
    updateValues.append(handle);
    updateValues.append(info.password);
    const int updated = run(u"UPDATE quibo_users SET first_name = ?, last_name = ?, email = ?, "
                            "city = ?, state = ?, country = ?, sex = ?, age = ?, persinfo = ? "
                            "WHERE handle = ? AND password = ?"_s,
                            updateValues);
    return updated > 0 ? RegisterOutcome::Updated : RegisterOutcome::WrongPassword;
}

bool SqlDirectoryStore::setAddress(const QString &handle, const QString &address)
{
    return run(u"UPDATE quibo_users SET address = ? WHERE handle = ?"_s, {address, handle}) > 0;
}

std::optional<QString> SqlDirectoryStore::broadcast()
{
    std::optional<QString> result;
    run(u"SELECT body FROM quibo_broadcast WHERE id = 1"_s, {}, [&](QSqlQuery &query) {
        if (query.next())
            result = query.value(0).toString();
    });
    return result;
}

void SqlDirectoryStore::setBroadcast(const std::optional<QString> &text)
{
    if (text)
        run(u"INSERT INTO quibo_broadcast (id, body) VALUES (1, ?) "
            "ON CONFLICT (id) DO UPDATE SET body = excluded.body"_s,
            {*text});
    else
        run(u"DELETE FROM quibo_broadcast"_s);
}

void SqlDirectoryStore::closeThreadConnection()
{
    dropThreadConnection(m_serial);
}

} // namespace quibo::directory
