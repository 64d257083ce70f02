#include "HttpExchange.h"

#include "base/WindowKey.h"
#include "platform/LocalSocketWindowCloser.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

void closeServer(const QString &address, quint16 port, const QString &title = WebServerWindowTitle)
{
    LocalSocketWindowCloser(address, port).closeWindowTitled(title);
}

TEST(CloseByTitleTest, ClosesARunningServerWithOrWithoutItsWindowWhichExitsCleanly)
{
    for (const bool headless : {true, false}) {
        QTemporaryDir dir;
        const quint16 port = freeLoopbackPort();
        QuibowebProcess server(arguments(dir, port, headless));
        ASSERT_TRUE(server.waitForOutput("Serving"));
        for (int i = 0; i < 20; ++i) // the window lists them
            EXPECT_EQ(request(port, "GET", "/tmp/nothing " + QByteArray::number(i)).status, 404);
        closeServer(u"127.0.0.1"_s, port);
        ASSERT_TRUE(server.waitForExit());
        EXPECT_EQ(server.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(server.exitCode(), 0);
    }
}

TEST(CloseByTitleTest, ReachesOnlyTheServerOfThatAddressAndTitle)
{
    QTemporaryDir dir;
    const quint16 port = freeLoopbackPort();
    QuibowebProcess server(arguments(dir, port));
    ASSERT_TRUE(server.waitForOutput("Serving"));

    // Nobody listens for these: nothing happens, nothing blocks.
    closeServer(u"127.0.0.1"_s, static_cast<quint16>(port + 1));
    closeServer(u"127.0.0.2"_s, port);
    closeServer(u"127.0.0.1"_s, port, u"Quibo32 Web Server"_s);
    const QDeadlineTimer deadline(std::chrono::milliseconds(300));
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

    EXPECT_TRUE(server.isRunning());
    EXPECT_EQ(request(port, "GET", "/").status, 404); // still answering; the folder has no page
}

// On a taken port the headless server says so and fails; with a window, the window shows the
// reason until it is closed.
TEST(BindFailureTest, ATakenPortIsToldAndOnlyTheHeadlessServerFails)
{
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost, 0));
    QTemporaryDir dir;
    QuibowebProcess headless(arguments(dir, holder.serverPort()));
    ASSERT_TRUE(headless.waitForExit());
    EXPECT_EQ(headless.exitCode(), 1);
    EXPECT_TRUE(headless.errorOutput().contains(
        "Cannot listen on 127.0.0.1:" + QByteArray::number(holder.serverPort()) +
        ": Address already in use."))
        << headless.errorOutput().toStdString();

    QuibowebProcess windowed(arguments(dir, holder.serverPort(), false));
    ASSERT_TRUE(windowed.waitForErrorOutput("Address already in use"))
        << windowed.errorOutput().toStdString();
    EXPECT_FALSE(windowed.waitForExit(std::chrono::milliseconds(500)))
        << "the window with the reason went away";
    closeServer(u"127.0.0.1"_s, holder.serverPort());
    ASSERT_TRUE(windowed.waitForExit());
    EXPECT_EQ(windowed.exitCode(), 0);
}

TEST(CommandLineProgramTest, BadOptionsFailWithAHint)
{
    QuibowebProcess bad({u"--listen"_s, u"nowhere"_s});
    ASSERT_TRUE(bad.waitForExit());
    EXPECT_EQ(bad.exitCode(), 2);
    EXPECT_TRUE(bad.errorOutput().contains("--listen expects HOST:PORT")) << bad.errorOutput().toStdString();
    EXPECT_TRUE(bad.errorOutput().contains("quiboweb --help"));
}

} // namespace
} // namespace quibo::web::test
