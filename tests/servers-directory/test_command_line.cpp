// The operator's side: broadcast messages, start-up errors, help.

#include "DirectoryTest.h"
#include "TestFiles.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>

#include <sched.h>

#include <optional>

#include <gmock/gmock.h>

using namespace Qt::StringLiterals;
using quibo::test::DirectoryServer;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

// A new file in `folder` holding `content`.
QString fileWith(const QString &folder, const QByteArray &content)
{
    static int serial = 0;
    const QString name = folder + u"/file%1.txt"_s.arg(serial++);
    quibo::test::writeFile(name, content);
    return name;
}

std::string text(const QString &s)
{
    return s.toStdString();
}

// The broadcast set from a file holding `content` (or cleared, without content), while serving.
struct Broadcast : DirectoryTest {
    DirectoryServer::Finished set(const std::optional<QByteArray> &content)
    {
        if (!content)
            return DirectoryServer::run({u"--database"_s, m_database->location(), u"--clear-broadcast"_s});
        return DirectoryServer::run({u"--database"_s, m_database->location(), u"--set-broadcast"_s,
                                     fileWith(m_database->folder(), *content)});
    }
};

TEST_P(Broadcast, IsSetFromAFileOfFiveLinesOf80BytesAtMostAndCleared)
{
    EXPECT_EQ(get("/ipadd/sysmsg.dat").body.substr(0, 1), "<");
    const auto done = set("Server moves on Sunday\nSave your contacts!\n\n");
    ASSERT_EQ(done.exitCode, 0) << text(done.output);
    // Every line ends in CR LF; trailing empty lines are dropped.
    EXPECT_EQ(get("/ipadd/sysmsg.dat").body, "Server moves on Sunday\r\nSave your contacts!\r\n");
    EXPECT_EQ(set(QByteArray(80, 'y').append('\n').repeated(5)).exitCode, 0);
    ASSERT_EQ(set(std::nullopt).exitCode, 0);
    EXPECT_EQ(get("/ipadd/sysmsg.dat").body.substr(0, 1), "<");

    const std::pair<QByteArray, const char *> refused[] = {
        {"1\n2\n3\n4\n5\n6\n", "at most 5"},
        {QByteArray(81, 'x'), "longer than 80"},
        {"<b>hi</b>\n", "must not begin with"},
        {"\r\n\r\n", "--clear-broadcast"},
        {"caf\xe9\n", "not UTF-8"},
        {"bell\x07\n", "control character"},
    };
    for (const auto &[content, reason] : refused) {
        const auto run = set(content);
        EXPECT_EQ(run.exitCode, 1) << reason;
        EXPECT_THAT(text(run.output), HasSubstr(reason));
    }
    const auto missing = DirectoryServer::run(
        {u"--database"_s, m_database->location(), u"--set-broadcast"_s, m_database->folder() + u"/none"_s});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_THAT(text(missing.output), HasSubstr("cannot read"));
    EXPECT_EQ(get("/ipadd/sysmsg.dat").body.substr(0, 1), "<");
}

INSTANTIATE_TEST_SUITE_P(Backends, Broadcast, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         ::testing::PrintToStringParamName());

TEST(DirectoryCommandLine, BadOptionsAreRefusedWithTheReason)
{
    const std::pair<QStringList, const char *> cases[] = {
        {{u"--bogus"_s}, "unknown option \"--bogus\""},
        {{u"stray"_s}, "unexpected argument"},
        {{u"--listen"_s}, "--listen needs a value"},
        {{u"--listen"_s, u"8080"_s}, "HOST:PORT"},
        {{u"--listen"_s, u"127.0.0.1:65536"_s}, "port from 0 to 65535"},
        {{u"--database"_s, u""_s}, "--database needs"},
        {{u"--set-broadcast"_s, u"a"_s, u"--clear-broadcast"_s}, "cannot be combined"},
        {{u"--database"_s, u"postgresql://host"_s}, "names no database"},
        {{u"--tls-cert"_s, u"a.pem"_s}, "--tls-cert and --tls-key go together"},
        {{u"--https-listen"_s, u"443"_s}, "--https-listen needs HOST:PORT"},
        {{u"--classic"_s, u"--secure-only"_s}, "--classic serves plain HTTP alone"},
    };
    for (const auto &[arguments, message] : cases) {
        const auto run = DirectoryServer::run(arguments);
        EXPECT_EQ(run.exitCode, 2) << message;
        EXPECT_THAT(text(run.output), HasSubstr(message));
        EXPECT_THAT(text(run.output), HasSubstr("--help"));
    }
}

TEST(DirectoryCommandLine, HelpNamesEveryOptionAndThePrivilegedPort)
{
    const auto run = DirectoryServer::run({u"--help"_s});
    EXPECT_EQ(run.exitCode, 0);
    for (const char *word :
         {"--listen HOST:PORT", "--database DB", "--set-broadcast FILE", "--clear-broadcast", "postgresql://",
          "CAP_NET_BIND_SERVICE", "--tls-cert FILE", "--tls-key FILE", "--state-dir DIR",
          "--https-listen HOST:PORT", "--secure-only", "--classic"})
        EXPECT_THAT(text(run.output), HasSubstr(word));
}

TEST(DirectoryCommandLine, VersionAnswersWithoutTouchingADatabase)
{
    const auto run = DirectoryServer::run({u"--version"_s, u"--database"_s, u"postgresql://host"_s});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(text(run.output), "quibo-directory " QUIBO_VERSION "\n");
}

// A start that cannot serve ends with 1, saying what it cannot use and why.
TEST(DirectoryCommandLine, AnUnusableDatabaseKeyOrPortStopsTheStartWithTheReason)
{
    QTemporaryDir folder;
    const QString garbage = fileWith(folder.path(), QByteArray(4096, 'x'));
    const QString fresh = folder.filePath(u"d.sqlite"_s);
    quibo::test::writeFile(folder.filePath(u"quibo-directory.crt"_s), "left alone");
    QTemporaryDir elsewhere; // without the stray certificate
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost));
    const struct {
        QString database;
        QStringList options;
        quint16 port;
        const char *what, *why;
    } cases[] = {
        {garbage, {}, 0, "cannot use the database", "not a database"},
        {folder.filePath(u"none/directory.sqlite"_s), {}, 0, "cannot use the database",
         "cannot open the database file"},
        {folder.path(), {}, 0, "cannot use the database", "cannot open the database file"},
        {u"postgresql://u:p@127.0.0.1:1/db"_s, {}, 0, "cannot use the database", "Connection refused"},
        {fresh, {u"--state-dir"_s, folder.path()}, 0, "cannot serve TLS", "quibo-directory.crt is there without"},
        {fresh, {u"--tls-cert"_s, garbage, u"--tls-key"_s, garbage}, 0, "cannot serve TLS",
         "holds no PEM certificate"},
        {fresh, {u"--tls-cert"_s, folder.filePath(u"none"_s), u"--tls-key"_s, garbage}, 0, "cannot serve TLS",
         "cannot read"},
        {elsewhere.filePath(u"d.sqlite"_s), {}, holder.serverPort(), "the port is already in use",
         "the port is already in use"},
    };
    for (const auto &c : cases) {
        DirectoryServer server(c.database);
        EXPECT_FALSE(server.start(c.port, c.options)) << c.why;
        EXPECT_EQ(server.stop(), 1) << c.why;
        EXPECT_THAT(text(server.output()), HasSubstr(c.what)) << c.why;
        EXPECT_THAT(text(server.output()), HasSubstr(c.why));
    }
}

TEST(DirectoryCommandLine, LockedDatabaseStopsTheStart)
{
    QTemporaryDir folder;
    const QString file = folder.filePath(u"locked.sqlite"_s);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"locker"_s);
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        ASSERT_TRUE(query.exec(u"PRAGMA journal_mode=WAL"_s));
        ASSERT_TRUE(query.exec(u"BEGIN IMMEDIATE"_s));

        DirectoryServer server(file);
        EXPECT_FALSE(server.start());
        EXPECT_EQ(server.stop(), 1);
        EXPECT_THAT(text(server.output()), HasSubstr("locked by another program"));

        ASSERT_TRUE(query.exec(u"COMMIT"_s));
        query = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase(u"locker"_s);
    // Unlocked, the same file serves.
    DirectoryServer server(file);
    EXPECT_TRUE(server.start()) << text(server.output());
}

// Under the batch policy a worker woken by a request or a database reply does not preempt
// the program that woke it; the request workers must have inherited it.
TEST(DirectoryCommandLine, EveryThreadRunsUnderTheBatchPolicy)
{
    DirectoryServer server;
    ASSERT_TRUE(server.start()) << text(server.output());
    // The workers start with serving, a moment after the server says it listens.
    ASSERT_EQ(server.get("/").status, 200);
    const QStringList threads =
        QDir(u"/proc/%1/task"_s.arg(server.processId())).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    EXPECT_GT(threads.size(), 16); // the default 16 workers, and the others
    for (const QString &thread : threads)
        EXPECT_EQ(sched_getscheduler(thread.toInt()), SCHED_BATCH) << text(thread);
}

} // namespace
