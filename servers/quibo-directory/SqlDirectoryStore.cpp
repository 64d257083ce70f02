#include "SqlDirectoryStore.h"

#include "Schema.h"
#include "SqlConnections.h"

#include <QSqlError>
#include <QStringList>

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

// Qt binds a null string as NULL, which the NOT NULL columns refuse.
QString notNull(const QString &text)
{
    return text.isNull() ? u""_s : text;
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
    QStringList columns;
    run(u"SELECT name FROM pragma_table_info('quibo_users')"_s, {}, [&](QSqlQuery &query) {
        while (query.next())
            columns.append(query.value(0).toString());
    });
    for (const schema::AddedColumn &column : schema::addedUserColumns) {
        if (!columns.contains(QLatin1StringView(column.name)))
            runUnprepared(u"ALTER TABLE quibo_users ADD COLUMN %1 %2"_s.arg(QLatin1StringView(column.name),
                                                                           QLatin1StringView(column.definition)));
    }
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

std::optional<Contact> SqlDirectoryStore::contact(const QString &handle)
{
    std::optional<Contact> result;
    run(u"SELECT address, kind, key_fingerprint, address6, ports FROM quibo_users WHERE handle = ?"_s, {handle},
        [&](QSqlQuery &query) {
            if (query.next())
                result = Contact{query.value(0).toString(), query.value(1).toString() == u"secure"_s,
                                 query.value(2).toString().toLatin1(), query.value(3).toString(),
                                 query.value(4).toString()};
        });
    return result;
}

std::optional<Account> SqlDirectoryStore::account(const QString &handle)
{
    std::optional<Account> result;
    run(u"SELECT password, "_s + infoColumns +
            u", kind, password_hash, key_fingerprint, address FROM quibo_users WHERE handle = ?"_s,
        {handle}, [&](QSqlQuery &query) {
            if (!query.next())
                return;
            Account account;
            int column = 0;
            for (const UserField &field : userFields)
                account.info.*field.member = query.value(column++).toString();
            account.secure = query.value(column++).toString() == u"secure"_s;
            account.passwordHash = query.value(column++).toString().toLatin1();
            account.keyFingerprint = query.value(column++).toString().toLatin1();
            account.address = query.value(column).toString();
            result = account;
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
                            "WHERE handle = ? AND kind = 'classic' AND password = ?"_s,
                            updateValues);
    return updated > 0 ? RegisterOutcome::Updated : RegisterOutcome::WrongPassword;
}

WriteOutcome SqlDirectoryStore::outcome(int changed, const QString &handle)
{
    if (changed > 0)
        return WriteOutcome::Written;
    return address(handle) ? WriteOutcome::Refused : WriteOutcome::Unknown;
}

WriteOutcome SqlDirectoryStore::setAddress(const QString &handle, const QString &address)
{
    return outcome(run(u"UPDATE quibo_users SET address = ? WHERE handle = ? AND kind = 'classic'"_s,
                       {address, handle}),
                   handle);
}

bool SqlDirectoryStore::addSecure(const QString &handle, const UserInfo &info, const QByteArray &passwordHash,
                                  const QByteArray &keyFingerprint)
{
    QVariantList values{handle, QString::fromLatin1(passwordHash), QString::fromLatin1(keyFingerprint)};
    values.append(infoValues(info));
    return run(u"INSERT INTO quibo_users (handle, password, kind, password_hash, key_fingerprint, "_s + infoColumns +
                   u", address) VALUES (?, '', 'secure', ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '0') "
                   "ON CONFLICT (handle) DO NOTHING"_s,
               values) > 0;
}

WriteOutcome SqlDirectoryStore::setSecureAddress(const QString &handle, const QByteArray &keyFingerprint,
                                                 const Published &published)
{
    return outcome(run(u"UPDATE quibo_users SET address = ?, address6 = ?, ports = ? "
                       "WHERE handle = ? AND kind = 'secure' AND key_fingerprint = ?"_s,
                       {published.address, notNull(published.address6), notNull(published.ports), handle,
                        QString::fromLatin1(keyFingerprint)}),
                   handle);
}

WriteOutcome SqlDirectoryStore::setSecureInfo(const QString &handle, const QByteArray &keyFingerprint,
                                              const UserInfo &info)
{
    QVariantList values = infoValues(info);
    values.append(handle);
    values.append(QString::fromLatin1(keyFingerprint));
    return outcome(run(u"UPDATE quibo_users SET first_name = ?, last_name = ?, email = ?, city = ?, state = ?, "
                       "country = ?, sex = ?, age = ?, persinfo = ? "
                       "WHERE handle = ? AND kind = 'secure' AND key_fingerprint = ?"_s,
                       values),
                   handle);
}

bool SqlDirectoryStore::makeSecure(const QString &handle, const QString &classicPassword,
                                   const QByteArray &passwordHash, const QByteArray &keyFingerprint)
{
    return run(u"UPDATE quibo_users SET kind = 'secure', password = '', password_hash = ?, key_fingerprint = ? "
               "WHERE handle = ? AND kind = 'classic' AND password = ?"_s,
               {QString::fromLatin1(passwordHash), QString::fromLatin1(keyFingerprint), handle, classicPassword}) > 0;
}

bool SqlDirectoryStore::replaceKey(const QString &handle, const QByteArray &passwordHash,
                                   const QByteArray &keyFingerprint)
{
    return run(u"UPDATE quibo_users SET key_fingerprint = ? "
               "WHERE handle = ? AND kind = 'secure' AND password_hash = ?"_s,
               {QString::fromLatin1(keyFingerprint), handle, QString::fromLatin1(passwordHash)}) > 0;
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
