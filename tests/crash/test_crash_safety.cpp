#include "DirectoryServer.h"
#include "FileVersions.h"
#include "TestFiles.h"

#include "base/Timings.h"
#include "history/HistoryStore.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;

namespace {

// How many times a test kills its process: QUIBO_CRASH_RUNS for long runs by hand.
int runs(int byDefault)
{
    const int wanted = qEnvironmentVariableIntValue("QUIBO_CRASH_RUNS");
    return wanted > 0 ? wanted : byDefault;
}

TEST(CrashSafety, KilledWhileRewritingTheWorkingFilesLeavesEachWhole)
{
    for (int run = 0; run < runs(30); ++run) {
        QTemporaryDir dir;
        QProcess writer;
        writer.start(qEnvironmentVariable("QUIBO_BIN_DIR") + u"/quibo-file-rewriter"_s, {dir.path()});
        ASSERT_TRUE(writer.waitForReadyRead(10000)) << writer.errorString().toStdString();
        QTest::qWait(QRandomGenerator::global()->bounded(40));
        writer.kill();
        ASSERT_TRUE(writer.waitForFinished());
        for (const QString &name :
             {contacts_file::FileName, working_files::UserInfo, working_files::Settings}) {
            const QByteArray bytes = readFile(QDir(dir.path()).filePath(name));
            EXPECT_TRUE(isWholeVersion(name, bytes)) << "run " << run << ", " << bytes.toStdString();
        }
    }
}

// Writers publish numbered addresses and register numbered users while the server is killed:
// after a restart it holds every acknowledged write, and at most the one in flight besides.
TEST(CrashSafety, TheDirectoryKeepsEveryAcknowledgedWriteAfterKill9)
{
    const auto address = [](int n) {
        return n == 0 ? u"0"_s : u"10.0.%1.%2"_s.arg(n / 250).arg(n % 250 + 1);
    };
    for (int run = 0; run < runs(10); ++run) {
        DirectoryServer server;
        ASSERT_TRUE(server.start()) << server.output().toStdString();
        constexpr int Publishers = 4;
        std::atomic<int> acknowledged[Publishers + 1] = {};
        std::atomic<int> attempted[Publishers] = {};
        std::vector<std::thread> writers;
        for (int w = 0; w < Publishers; ++w) {
            ASSERT_TRUE(server.registerUser(u"user%1"_s.arg(w), u"pw"_s));
            writers.emplace_back([&, w] {
                for (int n = 1; (attempted[w] = n, server.publish(u"user%1"_s.arg(w), address(n))); ++n)
                    acknowledged[w] = n;
            });
        }
        writers.emplace_back([&] {
            for (int n = 1; server.registerUser(u"new%1"_s.arg(n), u"pw%1"_s.arg(n)); ++n)
                acknowledged[Publishers] = n;
        });
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return std::all_of(std::begin(acknowledged), std::end(acknowledged),
                               [](auto &n) { return n > 0; });
        }));
        QTest::qWait(QRandomGenerator::global()->bounded(200));
        server.kill();
        for (std::thread &writer : writers)
            writer.join();

        ASSERT_TRUE(server.start()) << server.output().toStdString();
        for (int w = 0; w < Publishers; ++w) {
            const QString stored = server.addressOf(u"user%1"_s.arg(w));
            EXPECT_TRUE(stored == address(acknowledged[w]) || stored == address(attempted[w]))
                << "run " << run << ": " << stored.toStdString() << " after " << acknowledged[w];
        }
        for (int n = 1; n <= acknowledged[Publishers]; ++n) {
            const QByteArray reply = server.get("/ipinfo/readit.cgi?id=new" + QByteArray::number(n)).body;
            EXPECT_EQ(reply.left(reply.indexOf('\n')).trimmed(), "pw" + QByteArray::number(n))
                << "run " << run;
        }
    }
}

// A history written entry after entry, killed: the database is whole, and holds every entry
// whose turn had ended, and at most the one it was writing besides.
TEST(CrashSafety, TheHistoryLosesAtMostTheEntryItWasWritingAtKill9)
{
    for (int run = 0; run < runs(5); ++run) {
        QTemporaryDir dir;
        QProcess writer;
        writer.start(qEnvironmentVariable("QUIBO_BIN_DIR") + u"/quibo-history-writer"_s, {dir.path()});
        const int wanted = QRandomGenerator::global()->bounded(1, 3000);
        QByteArray printed;
        while (printed.count('\n') < wanted && writer.waitForReadyRead(10000))
            printed += writer.readAllStandardOutput();
        writer.kill();
        ASSERT_TRUE(writer.waitForFinished());
        printed += writer.readAllStandardOutput();
        const QList<QByteArray> numbers = printed.trimmed().split('\n');
        ASSERT_GE(numbers.size(), wanted);
        const qint64 returned = numbers.last().toLongLong();

        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"check"_s);
            db.setDatabaseName(dir.filePath(QString::fromLatin1(HistoryStore::FileName)));
            ASSERT_TRUE(db.open());
            QSqlQuery check(db);
            ASSERT_TRUE(check.exec(u"PRAGMA integrity_check"_s) && check.next());
            EXPECT_EQ(check.value(0).toString(), u"ok"_s);
        }
        QSqlDatabase::removeDatabase(u"check"_s);
        HistoryStore store(dir.path(), Timings{}.scaledDown(100));
        ASSERT_TRUE(store.isOpen());
        const QList<StoredEntry> kept = store.page(std::nullopt, 0, returned + 10);
        ASSERT_TRUE(kept.size() == returned || kept.size() == returned + 1) << kept.size() << " of " << returned;
        for (qsizetype i = 0; i < kept.size(); ++i)
            ASSERT_EQ(kept[i].entry.text, u"entry %1"_s.arg(i + 1));
        // The index catches up with what it had not taken before the kill.
        EXPECT_TRUE(QTest::qWaitFor([&] { return !store.search(u"entry %1"_s.arg(kept.size())).isEmpty(); }, 20000));
    }
}

} // namespace
