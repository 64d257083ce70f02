#include "DirectoryServer.h"
#include "QtPrinters.h"
#include "RunTask.h"
#include "TestFiles.h"

#include "base/Config.h"
#include "base/Timings.h"
#include "directory/DirectoryClient.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {

// One DirectoryClient against the real server, on each backend that is available.
class DirectoryClientTest : public ::testing::TestWithParam<DirectoryServer::Backend> {
protected:
    void SetUp() override
    {
        if (const auto why = DirectoryServer::unavailable(GetParam()))
            GTEST_SKIP() << why->toStdString();
        server = std::make_unique<DirectoryServer>(GetParam());
        ASSERT_TRUE(server->start()) << server->output().toStdString();
        config.setDirectory(server->authority());
    }

    DirectoryReply run(QCoro::Task<DirectoryReply> task)
    {
        return runToEnd(std::move(task)).value_or(DirectoryReply{});
    }

    std::unique_ptr<DirectoryServer> server;
    Config config;
    Timings timings = Timings{}.scaledDown(5);
    DirectoryClient client{config, timings};
};

} // namespace

TEST_P(DirectoryClientTest, ValuesWithReservedCharactersArriveIntact)
{
    // A password holding "&", "#", "=", "+", "%" and a space would cut the request short
    // or change it if it went in raw.
    const QString password = QStringLiteral("a&b#=+% f");
    const QString handle = QStringLiteral("Zo\u00eb & #1");
    UserInfoFields fields{password, QStringLiteral("Ann & Co"), {}, QStringLiteral("zoe@example.org")};
    const DirectoryReply registered = run(client.registerUser(handle, fields));
    ASSERT_TRUE(registered.ok);
    ASSERT_TRUE(registered.body.startsWith("Registered")) << registered.body.constData();

    const DirectoryReply check = run(client.password(handle));
    ASSERT_TRUE(check.ok);
    EXPECT_EQ(reply_text::firstLine(check.body, 20), password);

    ASSERT_TRUE(run(client.publishAddress(handle, QStringLiteral("10.0.0.7"))).ok);
    EXPECT_EQ(run(client.address(handle)).body, "10.0.0.7");
    EXPECT_EQ(reply_text::firstLine(run(client.addressPage(handle)).body, 16), QStringLiteral("10.0.0.7"));
    EXPECT_FALSE(run(client.infoPage(handle)).body.startsWith('<')) << "taken";
}

TEST_P(DirectoryClientTest, AnErrorPageIsAReplyNotAnInternetError)
{
    for (const DirectoryReply &reply :
         {run(client.infoPage(QStringLiteral("nobody"))), run(client.broadcast()),
          run(client.password(QStringLiteral("nobody")))}) {
        EXPECT_TRUE(reply.ok);
        EXPECT_TRUE(reply.body.startsWith('<')) << reply.body.constData();
    }
    const DirectoryReply unknown = run(client.address(QStringLiteral("nobody")));
    EXPECT_TRUE(unknown.ok);
    EXPECT_EQ(unknown.body, "0");
}

INSTANTIATE_TEST_SUITE_P(Backends, DirectoryClientTest,
                         ::testing::Values(DirectoryServer::Backend::Sqlite,
                                           DirectoryServer::Backend::Postgres),
                         [](const auto &param) {
                             return param.param == DirectoryServer::Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

// Failing to get any answer is an internet error, whatever the cause.
TEST(DirectoryClientFailures, RefusedUnknownHostAndSilentServerAreInternetErrors)
{
    Timings timings = Timings{}.scaledDown(50); // 300 ms for a request
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    QList<QTcpSocket *> held; // accepted, never answered
    QObject::connect(&silent, &QTcpServer::newConnection,
                     [&] { held.append(silent.nextPendingConnection()); });

    const QString places[] = {QStringLiteral("127.0.0.1:%1").arg(freeLoopbackPort()),
                              QStringLiteral("no-such-host.invalid"),
                              QStringLiteral("127.0.0.1:%1").arg(silent.serverPort())};
    for (const QString &place : places) {
        Config config;
        ASSERT_TRUE(config.setDirectory(place));
        DirectoryClient client(config, timings);
        const DirectoryReply reply =
            runToEnd(client.password(QStringLiteral("bill"))).value_or(DirectoryReply{true, "no end"});
        EXPECT_FALSE(reply.ok) << place.toStdString();
        EXPECT_TRUE(reply.body.isEmpty());
    }
    qDeleteAll(held);
}
