#include "DirectoryServer.h"
#include "FileVersions.h"
#include "TestFiles.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

using namespace quibo;
using namespace quibo::test;

namespace {

// How many times each test kills its process: QUIBO_CRASH_RUNS, for long runs by hand.
int runs(int byDefault)
{
    bool ok = false;
    const int wanted = qEnvironmentVariableIntValue("QUIBO_CRASH_RUNS", &ok);
    return ok && wanted > 0 ? wanted : byDefault;
}

int randomMs(int from, int to)
{
    return QRandomGenerator::global()->bounded(from, to);
}

TEST(CrashSafety, KilledWhileRewritingTheWorkingFilesLeavesEachWhole)
{
    for (int run = 0; run < runs(30); ++run) {
        SCOPED_TRACE(run);
        QTemporaryDir dir;
        QProcess writer;
        writer.start(qEnvironmentVariable("QUIBO_BIN_DIR") + QStringLiteral("/quibo-file-rewriter"),
                     {dir.path()});
        ASSERT_TRUE(writer.waitForReadyRead(10000)) << writer.errorString().toStdString();
        QTest::qWait(randomMs(0, 40));
        writer.kill();
        ASSERT_TRUE(writer.waitForFinished());

        const QDir folder(dir.path());
        const QByteArray contacts = readFile(folder.filePath(QStringLiteral("contacts.dat")));
        const QByteArray userInfo = readFile(folder.filePath(QStringLiteral("userinfo.dat")));
        const QByteArray settings = readFile(folder.filePath(QStringLiteral("settings")));
        EXPECT_TRUE(FileVersions::contactsVersion(contacts)) << contacts.toStdString();
        EXPECT_TRUE(FileVersions::userInfoVersion(userInfo)) << userInfo.toStdString();
        EXPECT_TRUE(FileVersions::settingsVersion(settings)) << settings.toStdString();
    }
}

// One writer's publications, numbered: the server holds the last acknowledged one, or the
// one in flight when it was killed.
struct Publisher {
    QString handle;
    std::atomic<int> acknowledged{0};
    std::atomic<int> attempted{0};
};

// "0" before the first publication.
QString addressNumbered(int n)
{
    return n == 0 ? QStringLiteral("0") : QStringLiteral("10.0.%1.%2").arg(n / 250).arg(n % 250 + 1);
}

TEST(CrashSafety, TheDirectoryKeepsEveryAcknowledgedWriteAfterKill9)
{
    for (int run = 0; run < runs(10); ++run) {
        SCOPED_TRACE(run);
        DirectoryServer server;
        ASSERT_TRUE(server.start()) << server.output().toStdString();
        std::vector<Publisher> publishers(4);
        for (std::size_t i = 0; i < publishers.size(); ++i) {
            publishers[i].handle = QStringLiteral("user%1").arg(i);
            ASSERT_TRUE(server.registerUser(publishers[i].handle, QStringLiteral("pw")));
        }
        std::atomic<int> registered{0};

        std::vector<std::thread> threads;
        for (Publisher &p : publishers) {
            threads.emplace_back([&server, &p] {
                for (int n = 1;; ++n) {
                    p.attempted = n;
                    if (!server.publish(p.handle, addressNumbered(n)))
                        return;
                    p.acknowledged = n;
                }
            });
        }
        threads.emplace_back([&server, &registered] {
            for (int n = 1;; ++n) {
                if (!server.registerUser(QStringLiteral("new%1").arg(n), QStringLiteral("pw%1").arg(n)))
                    return;
                registered = n;
            }
        });
        // Killed once every writer is under way, at a random moment.
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return registered > 0 && std::all_of(publishers.begin(), publishers.end(),
                                                 [](const Publisher &p) { return p.acknowledged > 0; });
        }));
        QTest::qWait(randomMs(0, 200));
        server.kill();
        for (std::thread &t : threads)
            t.join();

        ASSERT_TRUE(server.start()) << server.output().toStdString();
        for (const Publisher &p : publishers) {
            const QString stored = server.addressOf(p.handle);
            EXPECT_TRUE(stored == addressNumbered(p.acknowledged) || stored == addressNumbered(p.attempted))
                << p.handle.toStdString() << " holds " << stored.toStdString() << ", acknowledged "
                << addressNumbered(p.acknowledged).toStdString();
        }
        for (int n = 1; n <= registered; ++n) {
            const DirectoryServer::Reply reply =
                server.get(QStringLiteral("/ipinfo/readit.cgi?id=new%1").arg(n).toUtf8());
            EXPECT_TRUE(reply.body.startsWith(QStringLiteral("pw%1\r\n").arg(n).toUtf8()) ||
                        reply.body.startsWith(QStringLiteral("pw%1\n").arg(n).toUtf8()))
                << "registration " << n << " of " << registered.load() << ": " << reply.body.toStdString();
        }
    }
}

} // namespace
