// The operator's side: broadcast messages, start-up errors, help.

#include "DirectoryTest.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>

#include <gmock/gmock.h>

using namespace Qt::StringLiterals;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

QString writeFile(const QString &folder, const QByteArray &content)
{
    static int serial = 0;
    const QString name = folder + u"/file%1.txt"_s.arg(serial++);
    QFile file(name);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return name;
}

std::string text(const QString &s)
{
    return s.toStdString();
}

TEST_P(DirectoryTest, BroadcastIsSetAndClearedWhileServing)
{
    EXPECT_EQ(get("/ipadd/sysmsg.dat").body.substr(0, 1), "<");

    const QString file = writeFile(m_database->folder(), "Server moves on Sunday\nSave your contacts!\n\n");
    const Finished set = runDirectory({u"--database"_s, m_database->location(), u"--set-broadcast"_s, file});
    ASSERT_EQ(set.exitCode, 0) << text(set.output);
    // Every line ends in CR LF; trailing empty lines are dropped.
    EXPECT_EQ(get("/ipadd/sysmsg.dat").body, "Server moves on Sunday\r\nSave your contacts!\r\n");

    const Finished cleared = runDirectory({u"--database"_s, m_database->location(), u"--clear-broadcast"_s});
    ASSERT_EQ(cleared.exitCode, 0) << text(cleared.output);
    EXPECT_EQ(get("/ipadd/sysmsg.dat").body.substr(0, 1), "<");
}

struct BroadcastCase {
    const char *what;
    QByteArray content;
    const char *message;
};

TEST_P(DirectoryTest, UnusableBroadcastFilesAreRefusedWithTheReason)
{
    const BroadcastCase cases[] = {
        {"six lines", "1\n2\n3\n4\n5\n6\n", "at most 5"},
        {"81 bytes", QByteArray(81, 'x'), "longer than 80"},
        {"error page look", "<b>hi</b>\n", "must not begin with"},
        {"empty", "\r\n\r\n", "--clear-broadcast"},
        {"not UTF-8", "caf\xe9\n", "not UTF-8"},
        {"control character", "bell\x07\n", "control character"},
    };
    for (const BroadcastCase &c : cases) {
        const QString file = writeFile(m_database->folder(), c.content);
        const Finished run =
            runDirectory({u"--database"_s, m_database->location(), u"--set-broadcast"_s, file});
        EXPECT_EQ(run.exitCode, 1) << c.what;
        EXPECT_THAT(text(run.output), HasSubstr(c.message)) << c.what;
    }
    const Finished missing = runDirectory(
        {u"--database"_s, m_database->location(), u"--set-broadcast"_s, m_database->folder() + u"/none"_s});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_THAT(text(missing.output), HasSubstr("cannot read"));
    EXPECT_EQ(get("/ipadd/sysmsg.dat").body.substr(0, 1), "<");

    // Five lines of 80 bytes are fine.
    const QByteArray line(80, 'y');
    const QString fits =
        writeFile(m_database->folder(), line + "\n" + line + "\n" + line + "\n" + line + "\n" + line);
    EXPECT_EQ(runDirectory({u"--database"_s, m_database->location(), u"--set-broadcast"_s, fits}).exitCode,
              0);
}

struct OptionCase {
    QStringList arguments;
    const char *message;
};

TEST(DirectoryCommandLine, BadOptionsAreRefusedWithTheReason)
{
    const OptionCase cases[] = {
        {{u"--bogus"_s}, "unknown option \"--bogus\""},
        {{u"stray"_s}, "unexpected argument"},
        {{u"--listen"_s}, "--listen needs a value"},
        {{u"--listen"_s, u"8080"_s}, "HOST:PORT"},
        {{u"--listen"_s, u"127.0.0.1:65536"_s}, "port from 0 to 65535"},
        {{u"--database"_s, u""_s}, "--database needs"},
        {{u"--set-broadcast"_s, u"a"_s, u"--clear-broadcast"_s}, "cannot be combined"},
        {{u"--database"_s, u"postgresql://host"_s}, "names no database"},
    };
    for (const OptionCase &c : cases) {
        const Finished run = runDirectory(c.arguments);
        EXPECT_EQ(run.exitCode, 2) << c.message;
        EXPECT_THAT(text(run.output), HasSubstr(c.message));
        EXPECT_THAT(text(run.output), HasSubstr("--help"));
    }
}

TEST(DirectoryCommandLine, HelpNamesEveryOptionAndThePrivilegedPort)
{
    const Finished run = runDirectory({u"--help"_s});
    EXPECT_EQ(run.exitCode, 0);
    for (const char *word : {"--listen HOST:PORT", "--database DB", "--set-broadcast FILE",
                             "--clear-broadcast", "postgresql://", "CAP_NET_BIND_SERVICE"})
        EXPECT_THAT(text(run.output), HasSubstr(word));
}

TEST(DirectoryCommandLine, VersionAnswersWithoutTouchingADatabase)
{
    const Finished run = runDirectory({u"--version"_s, u"--database"_s, u"postgresql://host"_s});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(text(run.output), "quibo-directory " QUIBO_VERSION "\n");
}

struct DatabaseCase {
    const char *what;
    QString database;
    const char *message;
};

TEST(DirectoryCommandLine, UnusableDatabaseStopsTheStartWithTheReason)
{
    QTemporaryDir folder;
    const QString garbage = writeFile(folder.path(), QByteArray(4096, 'x'));
    const DatabaseCase cases[] = {
        {"not a database", garbage, "not a database"},
        {"missing folder", folder.filePath(u"none/directory.sqlite"_s), "cannot open the database file"},
        {"a folder", folder.path(), "cannot open the database file"},
        {"no PostgreSQL server", u"postgresql://u:p@127.0.0.1:1/db"_s, "Connection refused"},
    };
    for (const DatabaseCase &c : cases) {
        DirectoryProcess server(c.database);
        EXPECT_FALSE(server.start()) << c.what;
        EXPECT_EQ(server.stop(), 1) << c.what;
        EXPECT_THAT(text(server.output()), HasSubstr("cannot use the database")) << c.what;
        EXPECT_THAT(text(server.output()), HasSubstr(c.message)) << c.what;
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

        DirectoryProcess server(file);
        EXPECT_FALSE(server.start());
        EXPECT_EQ(server.stop(), 1);
        EXPECT_THAT(text(server.output()), HasSubstr("locked by another program"));

        ASSERT_TRUE(query.exec(u"COMMIT"_s));
        query = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase(u"locker"_s);
    // Unlocked, the same file serves.
    DirectoryProcess server(file);
    EXPECT_TRUE(server.start()) << text(server.output());
}

TEST(DirectoryCommandLine, PortInUseStopsTheStart)
{
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost));
    QTemporaryDir folder;
    const Finished run = runDirectory({u"--listen"_s, u"127.0.0.1:%1"_s.arg(holder.serverPort()),
                                       u"--database"_s, folder.filePath(u"d.sqlite"_s)});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(text(run.output), HasSubstr("the port is already in use"));
    EXPECT_THAT(text(run.output), Not(HasSubstr("listening")));
}

TEST(DirectoryCommandLine, StopsCleanlyOnSigterm)
{
    QTemporaryDir folder;
    DirectoryProcess server(folder.filePath(u"d.sqlite"_s));
    ASSERT_TRUE(server.start());
    EXPECT_EQ(server.stop(), 0);
}

} // namespace
