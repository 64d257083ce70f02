#include "PgDirectoryStore.h"

#include "Schema.h"

#include <libpq-fe.h>

#include <QStringList>

#include <array>
#include <atomic>
#include <cstdlib>
#include <map>
#include <memory>

using namespace Qt::StringLiterals;

namespace quibo::directory {

enum class PgDirectoryStore::Statement {
    Address,
    Contact,
    Account,
    Insert,
    Update,
    SetAddress,
    AddSecure,
    SetSecureAddress,
    SetSecureInfo,
    MakeSecure,
    ReplaceKey,
    Broadcast,
    SetBroadcast,
    ClearBroadcast,
    Count,
};

namespace {

using Statement = PgDirectoryStore::Statement;

constexpr std::array<const char *, static_cast<size_t>(Statement::Count)> statementSql{
    "SELECT address FROM quibo_users WHERE handle = $1",
    "SELECT address, kind, key_fingerprint, address6, ports FROM quibo_users WHERE handle = $1",
    "SELECT password, first_name, last_name, email, city, state, country, sex, age, persinfo, "
    "kind, password_hash, key_fingerprint, address FROM quibo_users WHERE handle = $1",
    "INSERT INTO quibo_users (handle, password, first_name, last_name, email, city, state, "
    "country, sex, age, persinfo, address) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, '0') "
    "ON CONFLICT (handle) DO NOTHING",
    "UPDATE quibo_users SET first_name = $1, last_name = $2, email = $3, city = $4, state = $5, "
    "country = $6, sex = $7, age = $8, persinfo = $9 WHERE handle = $10 AND kind = 'classic' AND password = $11",
    "UPDATE quibo_users SET address = $1 WHERE handle = $2 AND kind = 'classic'",
    "INSERT INTO quibo_users (handle, password, kind, password_hash, key_fingerprint, first_name, last_name, "
    "email, city, state, country, sex, age, persinfo, address) "
    "VALUES ($1, '', 'secure', $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, '0') ON CONFLICT (handle) DO NOTHING",
    "UPDATE quibo_users SET address = $1, address6 = $2, ports = $3 "
    "WHERE handle = $4 AND kind = 'secure' AND key_fingerprint = $5",
    "UPDATE quibo_users SET first_name = $1, last_name = $2, email = $3, city = $4, state = $5, country = $6, "
    "sex = $7, age = $8, persinfo = $9 WHERE handle = $10 AND kind = 'secure' AND key_fingerprint = $11",
    "UPDATE quibo_users SET kind = 'secure', password = '', password_hash = $1, key_fingerprint = $2 "
    "WHERE handle = $3 AND kind = 'classic' AND password = $4",
    "UPDATE quibo_users SET key_fingerprint = $1 WHERE handle = $2 AND kind = 'secure' AND password_hash = $3",
    "SELECT body FROM quibo_broadcast WHERE id = 1",
    "INSERT INTO quibo_broadcast (id, body) VALUES (1, $1) ON CONFLICT (id) DO UPDATE SET body = excluded.body",
    "DELETE FROM quibo_broadcast",
};

// The most parameters a statement takes.
constexpr size_t mostParameters = 12;

// Any number, the same for every instance sharing one database (0x515549424f444952).
constexpr const char *lockSchema = "SELECT pg_advisory_xact_lock(5860671039239113042)";

std::atomic<quint64> storeSerial{0};

struct ConnectionCloser {
    void operator()(PGconn *connection) const { PQfinish(connection); }
};
struct ResultClearer {
    void operator()(PGresult *result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultClearer>;

struct Connection {
    std::unique_ptr<PGconn, ConnectionCloser> handle;
    std::array<bool, static_cast<size_t>(Statement::Count)> prepared{};
};

// The connections of one thread; what it leaves open is closed when it ends.
thread_local std::map<quint64, Connection> threadConnections;

QString quoted(QString value)
{
    value.replace(u'\\', u"\\\\"_s);
    value.replace(u'\'', u"\\'"_s);
    return u'\'' + value + u'\'';
}

QByteArray conninfoOf(const DatabaseLocation &location)
{
    QStringList parts;
    if (!location.host.isEmpty())
        parts.append(u"host="_s + quoted(location.host));
    if (!location.databaseName.isEmpty())
        parts.append(u"dbname="_s + quoted(location.databaseName));
    if (!location.user.isEmpty())
        parts.append(u"user="_s + quoted(location.user));
    if (!location.password.isEmpty())
        parts.append(u"password="_s + quoted(location.password));
    if (location.port >= 0)
        parts.append(u"port="_s + QString::number(location.port));
    // The options were checked to hold no spaces or quotes.
    if (!location.connectOptions.isEmpty())
        parts.append(QString(location.connectOptions).replace(u';', u' '));
    return parts.join(u' ').toUtf8();
}

// Worded like the server's own report: its message, and the error code when there is a result.
QString describe(PGconn *connection, const PGresult *result)
{
    QString text = QString::fromUtf8(PQerrorMessage(connection));
    if (result) {
        const char *code = PQresultErrorField(result, PG_DIAG_SQLSTATE);
        text += u'(' + QString::fromLatin1(code ? code : "") + u')';
    }
    return text.trimmed();
}

PGconn *threadConnection(quint64 store, const QByteArray &conninfo)
{
    if (const auto it = threadConnections.find(store); it != threadConnections.end())
        return it->second.handle.get();

    Connection opened;
    opened.handle.reset(PQconnectdb(conninfo.constData()));
    PGconn *connection = opened.handle.get();
    if (!connection)
        throw StoreError(u"out of memory"_s);
    if (PQstatus(connection) != CONNECTION_OK)
        throw StoreError(describe(connection, nullptr));
    // UTF-8 on the wire whatever the server's default; no notices such as "relation already
    // exists, skipping" in the log.
    const Result result(PQexec(connection, "SET client_encoding TO 'UTF8'; SET client_min_messages TO WARNING"));
    if (PQresultStatus(result.get()) != PGRES_COMMAND_OK)
        throw StoreError(describe(connection, result.get()));
    return threadConnections.emplace(store, std::move(opened)).first->second.handle.get();
}

// The database dropped the connection (a restart, a terminated backend).
class ConnectionLost : public StoreError {
public:
    using StoreError::StoreError;
};

// The connection may be broken: the next call opens a new one.
[[noreturn]] void fail(quint64 store, PGconn *connection, const PGresult *result)
{
    const QString problem = describe(connection, result);
    const bool lost = PQstatus(connection) == CONNECTION_BAD;
    threadConnections.erase(store);
    if (lost)
        throw ConnectionLost(problem);
    throw StoreError(problem);
}

bool succeeded(const PGresult *result)
{
    const ExecStatusType status = PQresultStatus(result);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

QString field(const PGresult *result, int column)
{
    return QString::fromUtf8(PQgetvalue(result, 0, column), PQgetlength(result, 0, column));
}

// The nine info fields, UTF-8, in the statements' order.
std::array<QByteArray, 9> infoBytes(const UserInfo &info)
{
    std::array<QByteArray, 9> bytes;
    size_t i = 0;
    for (const UserField &userField : userFields) {
        if (userField.member != &UserInfo::password)
            bytes.at(i++) = (info.*userField.member).toUtf8();
    }
    return bytes;
}

} // namespace

PgDirectoryStore::PgDirectoryStore(DatabaseLocation location)
    : m_conninfo(conninfoOf(location)), m_serial(storeSerial.fetch_add(1))
{
}

PgDirectoryStore::~PgDirectoryStore()
{
    threadConnections.erase(m_serial);
}

int PgDirectoryStore::run(Statement statement, std::initializer_list<QByteArray> values, const Reader &read)
{
    const bool kept = threadConnections.contains(m_serial);
    try {
        return runOnce(statement, values, read);
    } catch (const ConnectionLost &) {
        // A kept connection the database has dropped since (a restart, an idle timeout) fails
        // the next statement sent on it: it goes again on a fresh connection. Every statement
        // here may run twice: reads, updates that set values, inserts that yield to the row.
        // A write whose first run did land then reports nothing done (a taken handle, a
        // changed account): a refusal the client can check, never a write made twice.
        if (!kept)
            throw;
    }
    return runOnce(statement, values, read);
}

int PgDirectoryStore::runOnce(Statement statement, std::initializer_list<QByteArray> values, const Reader &read)
{
    PGconn *connection = threadConnection(m_serial, m_conninfo);
    const auto index = static_cast<size_t>(statement);
    const std::string name = "quibo_" + std::to_string(index);
    bool &prepared = threadConnections.at(m_serial).prepared.at(index);
    if (!prepared) {
        const Result result(PQprepare(connection, name.c_str(), statementSql.at(index),
                                      static_cast<int>(values.size()), nullptr));
        if (!succeeded(result.get()))
            fail(m_serial, connection, result.get());
        prepared = true;
    }
    std::array<const char *, mostParameters> params{};
    std::array<int, mostParameters> lengths{};
    int count = 0;
    for (const QByteArray &value : values) {
        params.at(static_cast<size_t>(count)) = value.constData();
        lengths.at(static_cast<size_t>(count)) = static_cast<int>(value.size());
        ++count;
    }
    const Result result(PQexecPrepared(connection, name.c_str(), count, params.data(), lengths.data(), nullptr, 0));
    if (!succeeded(result.get()))
        fail(m_serial, connection, result.get());
    if (read)
        read(result.get());
    return std::atoi(PQcmdTuples(result.get()));
}

void PgDirectoryStore::runUnprepared(const char *sql)
{
    PGconn *connection = threadConnection(m_serial, m_conninfo);
    const Result result(PQexec(connection, sql));
    if (!succeeded(result.get()))
        fail(m_serial, connection, result.get());
}

void PgDirectoryStore::prepare()
{
    runUnprepared("BEGIN");
    runUnprepared(lockSchema);
    runUnprepared(schema::createUsers);
    for (const schema::AddedColumn &column : schema::addedUserColumns) {
        const QByteArray sql = QByteArrayLiteral("ALTER TABLE quibo_users ADD COLUMN IF NOT EXISTS ") + column.name +
                               ' ' + column.definition;
        runUnprepared(sql.constData());
    }
    runUnprepared(schema::createBroadcast);
    runUnprepared("COMMIT");
}

std::optional<QString> PgDirectoryStore::address(const QString &handle)
{
    std::optional<QString> found;
    run(Statement::Address, {handle.toUtf8()}, [&](const PGresult *result) {
        if (PQntuples(result) > 0)
            found = field(result, 0);
    });
    return found;
}

std::optional<Contact> PgDirectoryStore::contact(const QString &handle)
{
    std::optional<Contact> found;
    run(Statement::Contact, {handle.toUtf8()}, [&](const PGresult *result) {
        if (PQntuples(result) > 0)
            found = Contact{field(result, 0), field(result, 1) == u"secure"_s, field(result, 2).toLatin1(),
                            field(result, 3), field(result, 4)};
    });
    return found;
}

std::optional<Account> PgDirectoryStore::account(const QString &handle)
{
    std::optional<Account> found;
    run(Statement::Account, {handle.toUtf8()}, [&](const PGresult *result) {
        if (PQntuples(result) == 0)
            return;
        Account account;
        int column = 0;
        for (const UserField &userField : userFields)
            account.info.*userField.member = field(result, column++);
        account.secure = field(result, column++) == u"secure"_s;
        account.passwordHash = field(result, column++).toLatin1();
        account.keyFingerprint = field(result, column++).toLatin1();
        account.address = field(result, column);
        found = account;
    });
    return found;
}

RegisterOutcome PgDirectoryStore::registerUser(const QString &handle, const UserInfo &info)
{
    // No statement ever deletes a user, so once the insert finds the handle taken, the
    // update decides alone whether the password fits.
    const QByteArray name = handle.toUtf8();
    const QByteArray password = info.password.toUtf8();
    const auto fields = infoBytes(info);
    if (run(Statement::Insert, {name, password, fields[0], fields[1], fields[2], fields[3], fields[4], fields[5],
                                fields[6], fields[7], fields[8]}) > 0)
        return RegisterOutcome::Created;
    const int updated = run(Statement::Update, {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5],
                                                fields[6], fields[7], fields[8], name, password});
    return updated > 0 ? RegisterOutcome::Updated : RegisterOutcome::WrongPassword;
}

WriteOutcome PgDirectoryStore::outcome(int changed, const QString &handle)
{
    if (changed > 0)
        return WriteOutcome::Written;
    return address(handle) ? WriteOutcome::Refused : WriteOutcome::Unknown;
}

WriteOutcome PgDirectoryStore::setAddress(const QString &handle, const QString &address)
{
    return outcome(run(Statement::SetAddress, {address.toUtf8(), handle.toUtf8()}), handle);
}

bool PgDirectoryStore::addSecure(const QString &handle, const UserInfo &info, const QByteArray &passwordHash,
                                 const QByteArray &keyFingerprint)
{
    const auto fields = infoBytes(info);
    return run(Statement::AddSecure, {handle.toUtf8(), passwordHash, keyFingerprint, fields[0], fields[1], fields[2],
                                      fields[3], fields[4], fields[5], fields[6], fields[7], fields[8]}) > 0;
}

WriteOutcome PgDirectoryStore::setSecureAddress(const QString &handle, const QByteArray &keyFingerprint,
                                                const Published &published)
{
    return outcome(run(Statement::SetSecureAddress, {published.address.toUtf8(), published.address6.toUtf8(),
                                                     published.ports.toUtf8(), handle.toUtf8(), keyFingerprint}),
                   handle);
}

WriteOutcome PgDirectoryStore::setSecureInfo(const QString &handle, const QByteArray &keyFingerprint,
                                             const UserInfo &info)
{
    const auto fields = infoBytes(info);
    return outcome(run(Statement::SetSecureInfo, {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5],
                                                  fields[6], fields[7], fields[8], handle.toUtf8(), keyFingerprint}),
                   handle);
}

bool PgDirectoryStore::makeSecure(const QString &handle, const QString &classicPassword,
                                  const QByteArray &passwordHash, const QByteArray &keyFingerprint)
{
    return run(Statement::MakeSecure, {passwordHash, keyFingerprint, handle.toUtf8(), classicPassword.toUtf8()}) > 0;
}

bool PgDirectoryStore::replaceKey(const QString &handle, const QByteArray &passwordHash,
                                  const QByteArray &keyFingerprint)
{
    return run(Statement::ReplaceKey, {keyFingerprint, handle.toUtf8(), passwordHash}) > 0;
}

std::optional<QString> PgDirectoryStore::broadcast()
{
    std::optional<QString> found;
    run(Statement::Broadcast, {}, [&](const PGresult *result) {
        if (PQntuples(result) > 0)
            found = field(result, 0);
    });
    return found;
}

void PgDirectoryStore::setBroadcast(const std::optional<QString> &text)
{
    if (text)
        run(Statement::SetBroadcast, {text->toUtf8()});
    else
        run(Statement::ClearBroadcast, {});
}

void PgDirectoryStore::closeThreadConnection()
{
    threadConnections.erase(m_serial);
}

} // namespace quibo::directory
