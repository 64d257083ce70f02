// What this client puts on the wire, captured by a stand-in listener.
#include "PeerNetwork.h"
#include "RawPeer.h"

#include "peer/PeerRecord.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {

QByteArray textOf(const QByteArray &block)
{
    return QByteArray(block.constData(), qstrnlen(block.constData(), static_cast<uint>(block.size())));
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

TEST_F(WireTest, TypedMessageIsHandleBarTextInA522ByteBlock)
{
    alice.messages.sendScript = {{ScriptedMessages::Step::Send, QStringLiteral("hello\r\nthere")}};
    bool done = false;
    alice.client->messaging().SendMessageToSelected().then([&] { done = true; });
    ASSERT_TRUE(bob.waitForRecords(1));
    ASSERT_TRUE(waitFor([&] { return done; }));
    EXPECT_EQ(bob.records.at(0).size(), 522);
    EXPECT_EQ(textOf(bob.records.at(0)), QByteArray("alice|hello\r\nthere"));
    EXPECT_TRUE(alice.client->sendMessageFields().m_message.isEmpty());
}

TEST_F(WireTest, EverySmileyAndSoundCommandSendsItsCode)
{
    const std::pair<Command, const char *> commands[] = {
        {Command::Smile, "|300"},         {Command::Frown, "|301"},         {Command::Wink, "|302"},
        {Command::Possessed, "|303"},     {Command::Kiss, "|304"},          {Command::Aahhh, "|305"},
        {Command::Oops, "|306"},          {Command::SoundLol, "|400"},      {Command::SoundApplause, "|401"},
        {Command::SoundCatFight, "|402"}, {Command::SoundHurl, "|403"},     {Command::SoundIncoming, "|404"},
        {Command::SoundKiss, "|405"},     {Command::SoundWhip, "|406"},     {Command::SoundWoof, "|407"},
        {Command::SoundBoing, "|408"},    {Command::SoundShoot, "|409"},
    };
    int sent = 0;
    for (const auto &[command, code] : commands) {
        bool done = false;
        alice.client->messaging().SendSmileyOrSound(command).then([&] { done = true; });
        ASSERT_TRUE(waitFor([&] { return done; }));
        ASSERT_TRUE(bob.waitForRecords(++sent)) << code;
        EXPECT_EQ(bob.records.last().size(), 522) << code;
        EXPECT_EQ(textOf(bob.records.last()), QByteArray("alice|") + code);
    }
    // Each was preceded by its "Sending ..." popup, owned by the main window.
    EXPECT_EQ(alice.ui.log.count(QStringLiteral("sending|main")), 17);
}

TEST_F(WireTest, ShortRecordIs75BytesOfHandleCodeAndPayload)
{
    bool done = false;
    alice.client->peerSender()
        .SendShortRecord(QStringLiteral("alice"), QStringLiteral("127.0.0.3"), peer::NoPayload, QStringLiteral("|702"))
        .then([&] { done = true; });
    ASSERT_TRUE(bob.waitForRecords(1));
    ASSERT_TRUE(waitFor([&] { return done; }));
    EXPECT_EQ(bob.records.at(0).size(), 75);
    EXPECT_EQ(textOf(bob.records.at(0)), QByteArray("alice||702nothing"));
    EXPECT_TRUE(alice.ui.log.isEmpty());
}

TEST_F(WireTest, ListenerAnswersBusyWithShortRecordsToTheAskingContact)
{
    ASSERT_TRUE(PeerNetwork::startListening(alice));
    HandledCounter handled(alice);
    alice.client->privateChat().inPrivateChat = true;
    alice.client->fileReception().receiving = true;

    ASSERT_TRUE(sendRaw(QStringLiteral("127.0.0.2"), net.port(), peer::buildShortRecord(QStringLiteral("bob"), QStringLiteral("|700"), peer::NoPayload)));
    ASSERT_TRUE(sendRaw(QStringLiteral("127.0.0.2"), net.port(),
                        peer::buildRecord(QStringLiteral("bob"), QStringLiteral("|60042<photo.png"), peer::MessageBlock)));
    ASSERT_TRUE(bob.waitForRecords(2));
    ASSERT_TRUE(waitFor([&] { return handled.count == 2; }));
    EXPECT_EQ(bob.records.at(0).size(), 75);
    EXPECT_EQ(textOf(bob.records.at(0)), QByteArray("alice||703nothing"));
    EXPECT_EQ(bob.records.at(1).size(), 75);
    EXPECT_EQ(textOf(bob.records.at(1)), QByteArray("alice||601photo.png"));
    EXPECT_TRUE(alice.ui.log.isEmpty()) << "busy answers ask the user nothing";
}

TEST_F(WireTest, LongMessageIsCutToItsBlockAndLongHandleToItsField)
{
    alice.client->logon().ownHandle = QStringLiteral("abcdefghij");
    bool done = false;
    alice.client->peerSender().SendPeerRecord(QString(512, u'x'), DialogOwner::MainWindow).then([&] {
        done = true;
    });
    ASSERT_TRUE(bob.waitForRecords(1));
    EXPECT_EQ(bob.records.at(0).size(), 522);
    EXPECT_EQ(textOf(bob.records.at(0)), "abcdefghij|" + QByteArray(510, 'x'));
    ASSERT_TRUE(waitFor([&] { return done; }));
}

TEST(WireFailures, UnreachableAddressesAreToldOnlyBySendShortRecord)
{
    PeerNetwork net; // nobody listens on its port
    TestClient &alice = net.add(QStringLiteral("alice"), QStringLiteral("127.0.0.2"));
    net.befriend(alice, {QStringLiteral("ghost")});
    alice.client->contacts().setAddress(0, QStringLiteral("127.0.0.9"));
    selectContact(alice, QStringLiteral("ghost"));

    bool done = false;
    alice.client->peerSender()
        .SendPeerRecord(QStringLiteral("anyone?"), DialogOwner::MainWindow)
        .then([&] { done = true; });
    ASSERT_TRUE(waitFor([&] { return done; }));
    EXPECT_TRUE(alice.ui.log.isEmpty());

    done = false;
    alice.client->peerSender()
        .SendShortRecord(QStringLiteral("alice"), QStringLiteral("127.0.0.9"), peer::NoPayload, QStringLiteral("|700"))
        .then([&] { done = true; });
    ASSERT_TRUE(waitFor([&] { return done; }));
    EXPECT_EQ(alice.ui.log, QStringList{QStringLiteral("message|Error Connecting - Error Code 1050|")});
}

TEST(WireFailures, OfflineAndMalformedAddressesAreNeverDialled)
{
    // "0" must not become 0.0.0.0, which reaches this machine's own listener.
    PeerNetwork net;
    TestClient &alice = net.add(QStringLiteral("alice"), QStringLiteral("0.0.0.0"));
    ASSERT_TRUE(PeerNetwork::startListening(alice));
    HandledCounter handled(alice);
    for (const QString &address : {QStringLiteral("0"), QStringLiteral("0.0.0.0"), QStringLiteral(""),
                                   QStringLiteral("localhost"), QStringLiteral("127.1"), QStringLiteral("1.2.3.4.5")}) {
        SendOutcome outcome = SendOutcome::Sent;
        bool done = false;
        alice.client->peerSender().records().sendRecord(address, QByteArray(522, 'x')).then([&](SendOutcome o) {
            outcome = o;
            done = true;
        });
        ASSERT_TRUE(waitFor([&] { return done; }));
        EXPECT_EQ(outcome, SendOutcome::NotConnected) << address.toStdString();
    }
    EXPECT_EQ(handled.count, 0);
}
