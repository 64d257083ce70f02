#include "QuibowebProcess.h"
#include "base/WindowKey.h"
#include "platform/LocalSocketWindowCloser.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTemporaryDir>

namespace quibo::web::test {
namespace {

using namespace Qt::StringLiterals;

QStringList arguments(const QTemporaryDir &dir, quint16 port, bool headless = true)
{
    QStringList list{u"--root"_s, dir.path(), u"--listen"_s, u"127.0.0.1:"_s + QString::number(port)};
    if (headless)
        list.prepend(u"--headless"_s);
    return list;
}

void runEventsFor(std::chrono::milliseconds span)
{
    const QDeadlineTimer deadline(span);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST(CloseByTitleTest, ClosesARunningServerWhichExitsCleanly)
{
    QTemporaryDir dir;
    const quint16 port = freePort();
    QuibowebProcess server(arguments(dir, port));
    ASSERT_TRUE(server.waitForOutput("Serving"));

    LocalSocketWindowCloser closer(u"127.0.0.1"_s, port);
    closer.closeWindowTitled(WebServerWindowTitle);
    ASSERT_TRUE(server.waitForExit());
    EXPECT_EQ(server.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(server.exitCode(), 0);
}

TEST(CloseByTitleTest, ClosesAWindowThatListedRequests)
{
    QTemporaryDir dir;
    const quint16 port = freePort();
    QuibowebProcess server(arguments(dir, port, false));
    ASSERT_TRUE(server.waitForOutput("Serving"));
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(request(port, "GET", "/tmp/nothing " + QByteArray::number(i)).status, 404);

    LocalSocketWindowCloser(u"127.0.0.1"_s, port).closeWindowTitled(WebServerWindowTitle);
    ASSERT_TRUE(server.waitForExit());
    EXPECT_EQ(server.exitCode(), 0);
}

TEST(CloseByTitleTest, ReachesOnlyTheServerOfThatAddressAndTitle)
{
    QTemporaryDir dir;
    const quint16 port = freePort();
    QuibowebProcess server(arguments(dir, port));
    ASSERT_TRUE(server.waitForOutput("Serving"));

    // Nobody listens for these: nothing happens, nothing blocks.
    LocalSocketWindowCloser(u"127.0.0.1"_s, static_cast<quint16>(port + 1)).closeWindowTitled(WebServerWindowTitle);
    LocalSocketWindowCloser(u"127.0.0.2"_s, port).closeWindowTitled(WebServerWindowTitle);
    LocalSocketWindowCloser(u"127.0.0.1"_s, port).closeWindowTitled(u"Quibo32 Web Server"_s);
    runEventsFor(std::chrono::milliseconds(300));

    EXPECT_TRUE(server.isRunning());
    EXPECT_EQ(request(port, "GET", "/").status, 404); // still answering; the folder has no page
}

TEST(BindFailureTest, HeadlessServerOnATakenPortSaysSoAndFails)
{
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost, 0));
    QTemporaryDir dir;
    QuibowebProcess server(arguments(dir, holder.serverPort()));
    ASSERT_TRUE(server.waitForExit());
    EXPECT_EQ(server.exitCode(), 1);
    const QByteArray expected = "Cannot listen on 127.0.0.1:" + QByteArray::number(holder.serverPort())
                              + ": Address already in use.";
    EXPECT_TRUE(server.errorOutput().contains(expected)) << server.errorOutput().toStdString();
}

TEST(BindFailureTest, WindowedServerOnATakenPortStaysUpUntilClosed)
{
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost, 0));
    QTemporaryDir dir;
    QuibowebProcess server(arguments(dir, holder.serverPort(), false));
    ASSERT_TRUE(server.waitForErrorOutput("Address already in use")) << server.errorOutput().toStdString();
    EXPECT_FALSE(server.waitForExit(std::chrono::milliseconds(500))) << "the window with the reason went away";

    LocalSocketWindowCloser(u"127.0.0.1"_s, holder.serverPort()).closeWindowTitled(WebServerWindowTitle);
    ASSERT_TRUE(server.waitForExit());
    EXPECT_EQ(server.exitCode(), 0);
}

TEST(CommandLineProgramTest, BadOptionsFailWithAHint)
{
    QuibowebProcess bad({u"--listen"_s, u"nowhere"_s});
    ASSERT_TRUE(bad.waitForExit());
    EXPECT_EQ(bad.exitCode(), 2);
    EXPECT_TRUE(bad.errorOutput().contains("--listen expects HOST:PORT")) << bad.errorOutput().toStdString();
    EXPECT_TRUE(bad.errorOutput().contains("quiboweb --help"));

    QuibowebProcess help({u"--help"_s});
    ASSERT_TRUE(help.waitForExit());
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.output().contains("--root DIR"));
}

} // namespace
} // namespace quibo::web::test
