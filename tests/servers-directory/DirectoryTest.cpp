#include "DirectoryTest.h"

#include "DatabaseLocation.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <atomic>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

std::atomic<int> schemaSerial{0};

QString postgresUrl()
{
    return qEnvironmentVariable("QUIBO_TEST_POSTGRES_URL");
}

// Set where a server is always started (scripts/test.sh): a missing one is then a failure.
bool postgresRequired()
{
    return !qEnvironmentVariableIsEmpty("QUIBO_REQUIRE_POSTGRES");
}

// Runs `sql` on a connection of the test's own: to `sqliteFile`, or without one to the
// PostgreSQL server, after `setUp`. The first row it gives.
QStringList runSql(const QString &sqliteFile, const QString &setUp, const QString &sql)
{
    const QString name = u"test-admin"_s;
    bool ok = false;
    QString error;
    QStringList row;
    {
        QSqlDatabase db;
        if (sqliteFile.isEmpty()) {
            if (postgresUrl().isEmpty())
                throw std::runtime_error("QUIBO_REQUIRE_POSTGRES is set but QUIBO_TEST_POSTGRES_URL is not");
            const auto parsed = quibo::directory::parseDatabaseLocation(postgresUrl());
            const auto *location = std::get_if<quibo::directory::DatabaseLocation>(&parsed);
            if (!location)
                throw std::runtime_error("QUIBO_TEST_POSTGRES_URL is not a PostgreSQL URL");
            db = QSqlDatabase::addDatabase(u"QPSQL"_s, name);
            db.setHostName(location->host);
            db.setPort(location->port);
            db.setUserName(location->user);
            db.setPassword(location->password);
            db.setDatabaseName(location->databaseName);
        } else {
            db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
            db.setDatabaseName(sqliteFile);
        }
        QSqlQuery query(db);
        ok = db.open() && (!sqliteFile.isEmpty() || query.exec(u"SET client_min_messages TO WARNING"_s)) &&
             (setUp.isEmpty() || query.exec(setUp)) && query.exec(sql);
        if (ok && query.next()) {
            for (int i = 0; i < query.record().count(); ++i)
                row.append(query.value(i).toString());
        }
        error = db.lastError().text() + query.lastError().text();
    }
    QSqlDatabase::removeDatabase(name);
    if (!ok)
        throw std::runtime_error("SQL: " + error.toStdString());
    return row;
}

} // namespace

void TestDatabase::postgresExec(const QString &sql)
{
    runSql({}, {}, sql);
}

QStringList TestDatabase::query(const QString &sql) const
{
    return m_schema.isEmpty() ? runSql(m_location, {}, sql) : runSql({}, u"SET search_path TO "_s + m_schema, sql);
}

std::optional<QString> TestDatabase::unavailable(Backend backend)
{
    if (backend == Backend::Postgres && postgresUrl().isEmpty() && !postgresRequired())
        return u"QUIBO_TEST_POSTGRES_URL is not set (start a server with scripts/start-postgres.sh "
               "and export its URL to test the PostgreSQL backend)"_s;
    return std::nullopt;
}

TestDatabase::TestDatabase(Backend backend)
{
    if (backend == Backend::Sqlite) {
        m_location = m_folder.filePath(u"directory.sqlite"_s);
        return;
    }
    m_schema = u"quibo_test_%1_%2"_s.arg(QCoreApplication::applicationPid()).arg(schemaSerial.fetch_add(1));
    postgresExec(u"CREATE SCHEMA "_s + m_schema);
    const QString url = postgresUrl();
    m_location = url + (url.contains(u'?') ? u'&' : u'?') + u"options=-csearch_path%3D"_s + m_schema;
}

TestDatabase::~TestDatabase()
{
    if (m_schema.isEmpty())
        return;
    try {
        postgresExec(u"DROP SCHEMA "_s + m_schema + u" CASCADE"_s);
    } catch (const std::exception &) {
        // A schema left behind costs nothing; the next test has its own.
    }
}

void DirectoryTest::SetUp()
{
    if (const auto reason = TestDatabase::unavailable(GetParam()))
        GTEST_SKIP() << reason->toStdString();
    m_database = std::make_unique<TestDatabase>(GetParam());
    m_server = std::make_unique<quibo::test::DirectoryServer>(m_database->location());
    ASSERT_TRUE(m_server->start()) << m_server->output().toStdString();
}

Response DirectoryTest::registerUser(const std::string &handle, const std::string &password,
                                     const std::map<std::string, std::string> &fields) const
{
    std::string target = "/ipinfo/register.cgi?id=" + encoded(handle) + "&password=" + encoded(password);
    for (const char *key : {"first", "last", "email", "city", "state", "country", "sex", "age", "persinfo"}) {
        const auto it = fields.find(key);
        target += std::string("&") + key + "=" + (it == fields.end() ? "" : encoded(it->second));
    }
    return get(target);
}
