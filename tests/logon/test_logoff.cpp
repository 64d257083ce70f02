#include "LogonFixture.h"

#include "base/WindowKey.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {

class LogoffTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start()) << server.output().toStdString();
        ASSERT_TRUE(server.registerUser(QStringLiteral("alice"), QStringLiteral("pw")));
        ASSERT_TRUE(server.registerUser(QStringLiteral("bob"), QStringLiteral("pw")));
    }

    std::unique_ptr<LogonClient> loggedOn(const QString &handle, const QString &address, const QString &contact)
    {
        auto c = std::make_unique<LogonClient>(server.authority(), address, peerPort);
        c->setUpUser(handle, "pw\r\n", {contact});
        c->connectNow();
        EXPECT_TRUE(c->waitUntilReady()) << handle.toStdString();
        return c;
    }

    DirectoryServer server;
    quint16 peerPort = freePeerPort();
};

} // namespace

TEST_F(LogoffTest, AnnouncementsReachTheOtherClientAndLogoffLeavesZeroBehind)
{
    auto bob = loggedOn(QStringLiteral("bob"), QStringLiteral("127.0.0.3"), QStringLiteral("alice"));
    EXPECT_TRUE(bob->mainWindow.items.isEmpty());

    auto alice = loggedOn(QStringLiteral("alice"), QStringLiteral("127.0.0.2"), QStringLiteral("bob"));
    EXPECT_EQ(alice->mainWindow.items, QStringList{QStringLiteral("bob")});
    ASSERT_TRUE(waitFor([&] { return bob->mainWindow.items == QStringList{QStringLiteral("alice")}; }))
        << "\"|001\" did not arrive";
    EXPECT_EQ(bob->client->contacts().contact(0).address, QStringLiteral("127.0.0.2"));

    alice->client->fileOffers().sentFiles = {QStringLiteral("offer.txt"), QStringLiteral("../keep.txt")};
    alice->writeFile(QStringLiteral("html/tmp/offer.txt"), "offered");
    alice->writeFile(QStringLiteral("html/keep.txt"), "not offered");
    alice->mainWindow.closeBox();
    ASSERT_TRUE(alice->waitUntilEnded());
    EXPECT_EQ(alice->process.exitCodes.value(0), 0);
    EXPECT_EQ(alice->requests.constLast(), QStringLiteral("/ipadd/writeip.cgi?id=alice&ip=0"));
    EXPECT_EQ(server.addressOf(QStringLiteral("alice")), QStringLiteral("0"));
    EXPECT_EQ(alice->windowCloser.closed, QStringList{WebServerWindowTitle});
    EXPECT_FALSE(alice->exists(QStringLiteral("html/tmp/offer.txt")));
    EXPECT_TRUE(alice->exists(QStringLiteral("html/keep.txt"))) << "a name leaving html/tmp is not deleted";
    EXPECT_FALSE(alice->mainWindow.logOffButtonEnabled);
    ASSERT_TRUE(waitFor([&] { return bob->mainWindow.items.isEmpty(); })) << "\"|002\" did not arrive";
    EXPECT_FALSE(bob->client->contacts().contact(0).online);
}

TEST_F(LogoffTest, AFailedLogoffKeepsTheUserOnAndASecondTryRepeatsIt)
{
    auto alice = loggedOn(QStringLiteral("alice"), QStringLiteral("127.0.0.2"), QStringLiteral("bob"));
    const quint16 port = server.port();
    server.stop();

    alice->mainWindow.closeBox();
    ASSERT_TRUE(waitFor([&] { return !alice->messages().isEmpty() && alice->mainWindow.status == u"Ready"; }));
    EXPECT_EQ(alice->messages(), QStringList{QStringLiteral("Not Able To Logoff, Make Sure|You Are Logged On To Internet")});
    EXPECT_TRUE(alice->client->logon().logoffFailed);
    EXPECT_FALSE(alice->client->logon().notLoggedOn);
    EXPECT_TRUE(alice->mainWindow.logOffButtonEnabled);
    EXPECT_TRUE(alice->mainWindow.channelButtonEnabled);
    EXPECT_FALSE(alice->process.ended());

    ASSERT_TRUE(server.start(port)) << server.output().toStdString();
    EXPECT_EQ(server.addressOf(QStringLiteral("alice")), QStringLiteral("127.0.0.2"));
    alice->mainWindow.closeBox();
    ASSERT_TRUE(alice->waitUntilEnded());
    EXPECT_FALSE(alice->client->logon().logoffFailed);
    EXPECT_EQ(server.addressOf(QStringLiteral("alice")), QStringLiteral("0"));
    EXPECT_EQ(alice->windowCloser.closed.size(), 2) << "every step is repeated";
}
