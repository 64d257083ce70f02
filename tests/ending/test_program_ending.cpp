#include "DirectoryServer.h"
#include "PeerNetwork.h"
#include "RealClient.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace quibo;
using namespace quibo::test;
using namespace std::chrono_literals;

namespace {

// The real quibo32 as "alice" on 127.0.0.2 with the contact "bob", a real client in this
// process on 127.0.0.3, both known to a real directory server.
class ProgramEnding : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(directory.start()) << directory.output().toStdString();
        ASSERT_TRUE(directory.registerUser(QStringLiteral("alice"), QStringLiteral("pw")));
        ASSERT_TRUE(directory.registerUser(QStringLiteral("bob"), QStringLiteral("pw")));
        ASSERT_TRUE(directory.publish(QStringLiteral("bob"), QStringLiteral("127.0.0.3")));
        network.befriend(bob, {QStringLiteral("alice")});
        ASSERT_TRUE(PeerNetwork::startListening(bob));
        alice = makeAlice();
    }

    std::unique_ptr<RealClient> makeAlice()
    {
        return std::make_unique<RealClient>(RealClient::Setup{QStringLiteral("alice"),
                                                              QStringLiteral("127.0.0.2"),
                                                              directory.authority(),
                                                              network.port(),
                                                              network.webPort(),
                                                              {QStringLiteral("bob")}});
    }

    bool aliceOnlineAtBob() const { return bob.client->contacts().contact(0).online; }

    // Starts `client` and waits until it is logged on: announced to bob, published, served.
    void logOn(RealClient &client)
    {
        ASSERT_TRUE(client.start(true));
        ASSERT_TRUE(waitFor([&] { return aliceOnlineAtBob() && client.webServerAccepts(); }, 30s))
            << client.output().toStdString();
        EXPECT_EQ(directory.addressOf(QStringLiteral("alice")), QStringLiteral("127.0.0.2"));
        ASSERT_TRUE(client.webServerRunning());
        ASSERT_TRUE(waitFor([&] { return client.handlesEndSignals(); }));
    }

    DirectoryServer directory;
    PeerNetwork network;
    TestClient &bob = network.add(QStringLiteral("bob"), QStringLiteral("127.0.0.3"));
    std::unique_ptr<RealClient> alice;
};

TEST_F(ProgramEnding, EachEndSignalLogsOffLikeExit)
{
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(number));
        const std::unique_ptr<RealClient> fresh = makeAlice();
        RealClient &client = *fresh;
        logOn(client);

        client.signal(number);
        ASSERT_TRUE(waitFor([&] { return client.ended(); }, 30s));
        EXPECT_EQ(client.process().exitStatus(), QProcess::NormalExit) << client.output().toStdString();
        EXPECT_EQ(client.process().exitCode(), 0);
        EXPECT_TRUE(waitFor([this] { return !aliceOnlineAtBob(); })) << "\"|002\" reached bob";
        EXPECT_EQ(directory.addressOf(QStringLiteral("alice")), QStringLiteral("0"));
        EXPECT_TRUE(waitFor([&] { return !client.webServerRunning() && !client.webServerAccepts(); }));
    }
}

TEST_F(ProgramEnding, BeforeConnectASignalEndsAtOnce)
{
    ASSERT_TRUE(alice->start(false));
    ASSERT_TRUE(waitFor([this] { return alice->handlesEndSignals(); }));
    alice->signal(SIGTERM);
    ASSERT_TRUE(waitFor([this] { return alice->ended(); }));
    EXPECT_EQ(alice->process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(alice->process().exitCode(), 0);
    EXPECT_FALSE(aliceOnlineAtBob());
}

TEST_F(ProgramEnding, ASecondSignalEndsAHangingLogoff)
{
    logOn(*alice);
    directory.freeze(); // the logoff's request gets no answer
    alice->signal(SIGTERM);
    ASSERT_TRUE(waitFor([this] { return !aliceOnlineAtBob(); }));
    EXPECT_FALSE(alice->ended());
    alice->signal(SIGINT);
    ASSERT_TRUE(waitFor([this] { return alice->ended(); }));
    directory.thaw();
    EXPECT_EQ(alice->process().exitStatus(), QProcess::CrashExit);
    EXPECT_TRUE(waitFor([this] { return !alice->webServerRunning(); }));
}

TEST_F(ProgramEnding, TheWebServerEndsWithAKilledClient)
{
    logOn(*alice);
    alice->signal(SIGKILL);
    ASSERT_TRUE(waitFor([this] { return alice->ended(); }));
    EXPECT_TRUE(waitFor([this] { return !alice->webServerRunning() && !alice->webServerAccepts(); }));
    EXPECT_EQ(directory.addressOf(QStringLiteral("alice")), QStringLiteral("127.0.0.2"))
        << "a killed client cannot log off";
}

} // namespace
