// What this client puts on the wire, captured by a stand-in listener.
#include "PeerNetwork.h"
#include "RawPeer.h"
#include "RunTask.h"

#include "peer/PeerRecord.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {

QByteArray padded(const QByteArray &text, qsizetype block)
{
    return text + QByteArray(block - text.size(), '\0');
}

// alice at 127.0.0.2 with bob (127.0.0.3) as contact; bob is a capture server.
struct WireTest : ::testing::Test {
    PeerNetwork net;
    TestClient &alice = net.add(QStringLiteral("alice"), QStringLiteral("127.0.0.2"));
    CaptureServer bob{QStringLiteral("127.0.0.3"), net.port()};

    void SetUp() override
    {
        ASSERT_TRUE(bob.isListening());
        net.befriend(alice, {QStringLiteral("bob")});
        alice.client->contacts().setAddress(0, QStringLiteral("127.0.0.3"));
        selectContact(alice, QStringLiteral("bob"));
    }
};

} // namespace

TEST_F(WireTest, MessagesAndSmileysAreHandleBarTextInA522ByteBlock)
{
    alice.messages.sendScript = {{ScriptedMessages::Step::Send, QStringLiteral("hello\r\nthere")}};
    ASSERT_TRUE(runToEnd(alice.client->messaging().SendMessageToSelected()));
    EXPECT_TRUE(alice.client->sendMessageFields().m_message.isEmpty());
    ASSERT_TRUE(runToEnd(alice.client->messaging().SendSmileyOrSound(Command::Wink)));
    EXPECT_EQ(alice.ui.log, QStringList{QStringLiteral("sending|main")});
    ASSERT_TRUE(bob.waitForRecords(2));
    EXPECT_EQ(bob.records,
              (QList<QByteArray>{padded("alice|hello\r\nthere", 522), padded("alice||302", 522)}));
}

TEST_F(WireTest, ListenerAnswersBusyWithShortRecordsToTheAskingContact)
{
    ASSERT_TRUE(PeerNetwork::startListening(alice));
    HandledCounter handled(alice);
    alice.client->privateChat().session().inPrivateChat = true;
    alice.client->fileReception().receiving = true;

    ASSERT_TRUE(
        sendRaw(QStringLiteral("127.0.0.2"), net.port(),
                peer::buildShortRecord(QStringLiteral("bob"), QStringLiteral("|700"), peer::NoPayload)));
    ASSERT_TRUE(sendRaw(
        QStringLiteral("127.0.0.2"), net.port(),
        peer::buildRecord(QStringLiteral("bob"), QStringLiteral("|60042<photo.png"), peer::MessageBlock)));
    ASSERT_TRUE(bob.waitForRecords(2));
    ASSERT_TRUE(waitFor([&] { return handled.count == 2; }));
    EXPECT_EQ(bob.records,
              (QList<QByteArray>{padded("alice||703nothing", 75), padded("alice||601photo.png", 75)}));
    EXPECT_TRUE(alice.ui.log.isEmpty()) << "busy answers ask the user nothing";
}

TEST(WireFailures, UnreachableAddressesAreToldOnlyBySendShortRecord)
{
    PeerNetwork net; // nobody listens on its port
    TestClient &alice = net.add(QStringLiteral("alice"), QStringLiteral("127.0.0.2"));
    net.befriend(alice, {QStringLiteral("ghost")});
    alice.client->contacts().setAddress(0, QStringLiteral("127.0.0.9"));
    selectContact(alice, QStringLiteral("ghost"));

    ASSERT_TRUE(runToEnd(
        alice.client->peerSender().SendPeerRecord(QStringLiteral("anyone?"), DialogOwner::MainWindow)));
    EXPECT_TRUE(alice.ui.log.isEmpty());

    ASSERT_TRUE(runToEnd(alice.client->peerSender().SendShortRecord(
        QStringLiteral("alice"), QStringLiteral("127.0.0.9"), peer::NoPayload, QStringLiteral("|700"))));
    EXPECT_EQ(alice.ui.log, QStringList{QStringLiteral("message|Error Connecting - Error Code 1050|")});
}

TEST(WireFailures, OfflineAndMalformedAddressesAreNeverDialled)
{
    // "0" must not become 0.0.0.0, which reaches this machine's own listener.
    PeerNetwork net;
    TestClient &alice = net.add(QStringLiteral("alice"), QStringLiteral("0.0.0.0"));
    ASSERT_TRUE(PeerNetwork::startListening(alice));
    HandledCounter handled(alice);
    for (const QString &address :
         {QStringLiteral("0"), QStringLiteral("0.0.0.0"), QStringLiteral(""), QStringLiteral("localhost"),
          QStringLiteral("127.1"), QStringLiteral("1.2.3.4.5")}) {
        EXPECT_EQ(runToEnd(alice.client->peerSender().records().sendRecord(address, QByteArray(522, 'x'))),
                  SendOutcome::NotConnected)
            << address.toStdString();
    }
    EXPECT_EQ(handled.count, 0);
}
