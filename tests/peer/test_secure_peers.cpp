// Secure clients speak TLS 1.3 to each other, each end pinned to the key the directory gave;
// classic contacts are spoken to and heard in clear, as before. The tests play the one on the
// path, the impostor at a contact's address and the forger of a handle.
#include "PeerNetwork.h"
#include "RawPeer.h"

#include "channel/ChannelJoin.h"
#include "mainwindow/CommandHandlers.h"
#include "peer/PeerRecord.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;
using Step = ScriptedMessages::Step;

namespace {

// alice and bob are secure and know each other's keys; carol is classic.
struct SecurePeers : ::testing::Test {
    PeerNetwork net;
    TestClient &alice = net.add(u"alice"_s, u"127.0.0.2"_s);
    TestClient &bob = net.add(u"bob"_s, u"127.0.0.3"_s);
    TestClient &carol = net.add(u"carol"_s, u"127.0.0.5"_s);
    std::unique_ptr<HandledCounter> aliceHandled, bobHandled, carolHandled;

    void SetUp() override
    {
        net.befriend(alice, {u"LoopBack"_s, u"bob"_s, u"carol"_s});
        net.befriend(bob, {u"LoopBack"_s, u"alice"_s, u"carol"_s});
        net.befriend(carol, {u"LoopBack"_s, u"alice"_s, u"bob"_s});
        net.trustKeys(alice, {u"bob"_s});
        net.trustKeys(bob, {u"alice"_s});
        for (TestClient *c : {&alice, &bob, &carol})
            ASSERT_TRUE(PeerNetwork::startListening(*c));
        aliceHandled = std::make_unique<HandledCounter>(alice);
        bobHandled = std::make_unique<HandledCounter>(bob);
        carolHandled = std::make_unique<HandledCounter>(carol);
    }
    // `from` sends `text` to its contact `to`.
    static void message(TestClient &from, const QString &to, const QString &text)
    {
        selectContact(from, to);
        from.messages.sendScript = {{Step::Send, text}};
        ASSERT_TRUE(runToEnd(from.client->messaging().sendMessageToSelected()));
    }
    // Points `client`'s record of `contact` at another address, as a changed look-up would.
    static void moveContact(TestClient &client, const QString &contact, const QString &address)
    {
        client.client->contacts().setAddress(*client.client->contacts().FindContactByHandle(contact), address);
    }
};

} // namespace

// Everything alice sends bob goes through a proxy that keeps what it carried.
TEST_F(SecurePeers, OnThePathNoTextIsInClear)
{
    RecordingProxy path(u"127.0.0.4"_s, {net.port(), net.channelPort(), net.privateChatPort()}, u"127.0.0.3"_s);
    ASSERT_TRUE(path.isListening());
    moveContact(alice, u"bob"_s, u"127.0.0.4"_s);

    message(alice, u"bob"_s, u"meet me at noon"_s);
    ASSERT_TRUE(runToEnd(alice.client->messaging().sendSmileyOrSound({u"|300"}, EntryKind::Smiley, u"Smile"_s)));
    ASSERT_TRUE(waitFor([&] { return !bob.ui.popups.isEmpty(); }));
    bob.ui.popups.last()->pressOk();
    ASSERT_TRUE(waitFor([&] { return bobHandled->count == 2; }));
    EXPECT_EQ(bob.messages.log, QStringList{u"received|alice|meet me at noon"_s});
    EXPECT_EQ(bob.ui.log.filter(u"smiley"_s), QStringList{u"smiley|Smile|alice"_s});

    // alice hosts a channel that bob joins, and says a line in it.
    alice.client->mainWindowTask().handlers().detached(Command::HostChannel)();
    ASSERT_TRUE(waitFor([&] { return alice.channel.last() && alice.channel.last()->open; }));
    bob.client->selection().clickedItem = bob.client->contacts().contact(1).listIndex;
    runToEnd(bob.client->channels().join().RequestJoin());
    ASSERT_TRUE(waitFor([&] { return bob.channel.last() != nullptr; })); // bob's own lines come not by the path
    alice.channel.last()->say(u"the channel's secret"_s);
    ASSERT_TRUE(waitFor([&] { return bob.channel.last()->rows.contains(u"alice> the channel's secret"_s); }));

    // alice asks bob to a private chat and says a line.
    bob.privateChat.answers = {true};
    selectContact(alice, u"bob"_s);
    ASSERT_TRUE(runToEnd(alice.client->privateChat().PrivateChat()));
    ASSERT_TRUE(waitFor([&] { return bob.privateChat.windows.size() == 1; }));
    alice.privateChat.last().say(u"a private secret"_s);
    ASSERT_TRUE(waitFor([&] { return bob.privateChat.last().rows.contains(u"alice> a private secret"_s); }));

    ASSERT_FALSE(path.carried.isEmpty());
    for (const char *text : {"meet me at noon", "|300", "alice|", "the channel's secret", "a private secret"})
        EXPECT_FALSE(path.carried.contains(text)) << text;
}

TEST_F(SecurePeers, AnotherKeyOrNoTlsAtASecureContactsAddressGetsNothing)
{
    TestClient &mallory = net.add(u"mallory"_s, u"127.0.0.6"_s); // a key of its own
    ASSERT_TRUE(PeerNetwork::startListening(mallory));
    HandledCounter malloryHandled(mallory);
    CaptureServer classic(u"127.0.0.7"_s, net.port()); // no TLS at all
    ASSERT_TRUE(classic.isListening());

    moveContact(alice, u"bob"_s, u"127.0.0.6"_s);
    message(alice, u"bob"_s, u"for bob only"_s);
    ASSERT_TRUE(waitFor([&] { return malloryHandled.count == 1; }));
    EXPECT_TRUE(mallory.messages.log.isEmpty());
    const QString refused = u"message|bob Did Not Show Its Key - Nothing Sent|Error Code 1060"_s;
    ASSERT_TRUE(waitFor([&] { return alice.ui.log.count(refused) == 1; }));

    moveContact(alice, u"bob"_s, u"127.0.0.7"_s);
    message(alice, u"bob"_s, u"for bob only"_s);
    ASSERT_TRUE(classic.waitForRecords(1));
    EXPECT_FALSE(classic.records.constFirst().contains("for bob only"));
    ASSERT_TRUE(waitFor([&] { return alice.ui.log.count(refused) == 2; }));
}

// A secure contact's handle counts only with its key; classic carol is heard and spoken to in
// clear, by secure clients too.
TEST_F(SecurePeers, ARecordClaimingASecureContactCountsOnlyWithItsKey)
{
    ASSERT_TRUE(sendRaw(u"127.0.0.3"_s, net.port(), peer::buildRecord(u"alice"_s, u"forged"_s, peer::MessageBlock)));
    TestClient &mallory = net.add(u"mallory"_s, u"127.0.0.6"_s);
    net.befriend(mallory, {u"bob"_s});
    net.trustKeys(mallory, {u"bob"_s});
    mallory.client->logon().ownHandle = u"alice"_s;
    message(mallory, u"bob"_s, u"forged over tls"_s);
    message(carol, u"bob"_s, u"hello"_s);
    ASSERT_TRUE(waitFor([&] { return bobHandled->count == 3; }));
    EXPECT_EQ(bob.messages.log, QStringList{u"received|carol|hello"_s});
    message(bob, u"carol"_s, u"hi carol"_s);
    ASSERT_TRUE(waitFor([&] { return carolHandled->count == 1; }));
    EXPECT_TRUE(carol.messages.log.contains(u"received|bob|hi carol"_s));
}
