// Two clients in one process: messages, replies, smileys and sounds.
#include "PeerNetwork.h"
#include "RawPeer.h"

#include "peer/PeerRecord.h"
#include "resources/ResourceCatalogue.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;
using Step = ScriptedMessages::Step;

namespace {

// alice (127.0.0.2) and bob (127.0.0.3) have each other as contacts and listen.
struct TwoClients : ::testing::Test {
    PeerNetwork net;
    TestClient &alice = net.add(u"alice"_s, u"127.0.0.2"_s);
    TestClient &bob = net.add(u"bob"_s, u"127.0.0.3"_s);
    std::unique_ptr<HandledCounter> aliceHandled, bobHandled;

    void SetUp() override
    {
        net.befriend(alice, {u"LoopBack"_s, u"bob"_s});
        net.befriend(bob, {u"LoopBack"_s, u"alice"_s});
        ASSERT_TRUE(PeerNetwork::startListening(alice));
        ASSERT_TRUE(PeerNetwork::startListening(bob));
        aliceHandled = std::make_unique<HandledCounter>(alice);
        bobHandled = std::make_unique<HandledCounter>(bob);
        selectContact(alice, u"bob"_s);
    }
    // A record from `handle` to bob, sent by hand.
    void deliver(const QString &handle, const QString &body)
    {
        ASSERT_TRUE(sendRaw(u"127.0.0.3"_s, net.port(), peer::buildRecord(handle, body, peer::MessageBlock)));
    }
    bool bobHandledAll(int n)
    {
        return waitFor([&] { return bobHandled->count >= n; });
    }
    void command(TestClient &from, Command c)
    {
        ASSERT_TRUE(runToEnd(from.client->messaging().SendSmileyOrSound(c)));
    }
};

} // namespace

TEST_F(TwoClients, MessageAndReplyGoBackToTheAddressStoredForTheSender)
{
    alice.messages.sendScript = {{Step::Send, u"hi bob"_s}};
    bob.messages.receivedScript = {Step::Reply};
    bob.messages.sendScript = {{Step::Send, u"hi alice"_s}};
    bob.client->selection().selectedContact = 0; // LoopBack: the reply must not go there

    ASSERT_TRUE(runToEnd(alice.client->messaging().SendMessageToSelected()));
    ASSERT_TRUE(waitFor([&] { return aliceHandled->count == 1; }));

    EXPECT_EQ(alice.messages.log, (QStringList{u"send|main|bob|"_s, u"received|bob|hi alice"_s}));
    EXPECT_EQ(bob.messages.log, (QStringList{u"received|alice|hi bob"_s, u"send|desktop|alice|"_s}));
    EXPECT_TRUE(bob.sound.played.contains(u"async:mail.snd"_s));
    EXPECT_EQ(bob.client->sendMessageFields().m_replyMode, u"0"_s);
    EXPECT_FALSE(bob.client->messagingState().replyPending);
    EXPECT_TRUE(bob.client->receivedMessageFields().m_message.isEmpty());
    EXPECT_EQ(bob.messages.openCount(), 0);
}

TEST_F(TwoClients, CancelKeepsTheTextUntilTheNextSendOfAnyKind)
{
    alice.messages.sendScript = {{Step::Cancel, u"draft"_s}, {Step::Cancel, std::nullopt}};
    ASSERT_TRUE(runToEnd(alice.client->messaging().SendMessageCommand()));
    ASSERT_TRUE(runToEnd(alice.client->messaging().SendMessageCommand()));
    EXPECT_EQ(alice.messages.dialogs.at(1)->shownMessage, u"draft"_s);
    EXPECT_FALSE(alice.client->messagingState().sendDialogOpen);

    command(alice, Command::Smile); // replaces the draft, then empties it
    ASSERT_TRUE(waitFor([&] { return !bob.ui.popups.isEmpty(); }));
    bob.ui.popups.last()->pressOk();
    ASSERT_TRUE(bobHandledAll(1));
    EXPECT_TRUE(alice.client->sendMessageFields().m_message.isEmpty());
    EXPECT_EQ(bob.ui.log.filter(u"smiley"_s), QStringList{u"smiley|Smile|alice"_s});
    EXPECT_TRUE(bob.messages.log.isEmpty()) << "the draft never went out";
}

TEST_F(TwoClients, WhileAReplyIsOpenTheSendDialogCannotOpenAndViceVersa)
{
    // bob holds a reply dialog open: his Send Message does nothing.
    bob.messages.receivedScript = {Step::Reply};
    alice.messages.sendScript = {{Step::Send, u"ping"_s}};
    ASSERT_TRUE(runToEnd(alice.client->messaging().SendMessageToSelected()));
    ASSERT_TRUE(waitFor([&] { return bob.client->messagingState().replyPending; }));
    ASSERT_TRUE(runToEnd(bob.client->messaging().SendMessageCommand())) << "it does nothing";
    EXPECT_EQ(bob.messages.log.filter(u"send|"_s).size(), 1);
    bob.messages.lastOf(u"send"_s)->press(MessageUi::CancelButton);
    ASSERT_TRUE(bobHandledAll(1));
    EXPECT_FALSE(bob.client->messagingState().replyPending);

    // bob holds a new message open: a Reply only closes the received message.
    bob.client->messaging().SendMessageCommand();
    EXPECT_TRUE(bob.client->messagingState().sendDialogOpen);
    bob.messages.receivedScript = {Step::Reply};
    alice.messages.sendScript = {{Step::Send, u"pong?"_s}};
    ASSERT_TRUE(runToEnd(alice.client->messaging().SendMessageToSelected()));
    ASSERT_TRUE(bobHandledAll(2));
    EXPECT_EQ(bob.messages.log.filter(u"send|"_s).size(), 2);
    EXPECT_EQ(bob.messages.openCount(), 1);
    EXPECT_FALSE(bob.client->messagingState().replyPending);
    bob.messages.lastOf(u"send"_s)->press(MessageUi::CancelButton);
    ASSERT_TRUE(waitFor([&] { return !bob.client->messagingState().sendDialogOpen; }));
}

TEST_F(TwoClients, ARecordArrivingWhileComposingReaddressesTheOpenSendDialog)
{
    bob.client->messaging().SendMessageCommand();
    const auto dialog = bob.messages.lastOf(u"send"_s);
    command(alice, Command::SoundLol);
    ASSERT_TRUE(bobHandledAll(1));
    EXPECT_EQ(bob.client->sendMessageFields().m_to, u"alice"_s);
    EXPECT_EQ(bob.client->sendMessageFields().m_replyAddress, u"127.0.0.2"_s);
    EXPECT_EQ(dialog->shownTo, u"alice"_s);
    dialog->press(MessageUi::CancelButton);
    ASSERT_TRUE(waitFor([&] { return !bob.client->messagingState().sendDialogOpen; }));
}

// The one walk through all 17 commands, from the menu on one side to the popup or clip on the other.
TEST_F(TwoClients, EverySmileyShowsItsPopupAndEverySoundPlaysItsClip)
{
    const std::pair<Command, const char16_t *> cases[] = {
        {Command::Smile, u"smiley|Smile|alice"},   {Command::Frown, u"smiley|Frown|alice"},
        {Command::Wink, u"smiley|Wink|alice"},     {Command::Possessed, u"smiley|Possessed|alice"},
        {Command::Kiss, u"smiley|Kiss|alice"},     {Command::Aahhh, u"smiley|AAHHH!|alice"},
        {Command::Oops, u"smiley|Oops!|alice"},    {Command::SoundLol, u"lol.snd"},
        {Command::SoundApplause, u"applause.snd"}, {Command::SoundCatFight, u"catfight.snd"},
        {Command::SoundHurl, u"hurl.snd"},         {Command::SoundIncoming, u"incoming.snd"},
        {Command::SoundKiss, u"smootch.snd"},      {Command::SoundWhip, u"whip.snd"},
        {Command::SoundWoof, u"woof.snd"},         {Command::SoundBoing, u"boing.snd"},
        {Command::SoundShoot, u"shoot.snd"},
    };
    int n = 0;
    for (const auto &[which, seen] : cases) {
        const QString expected = QString::fromUtf16(seen);
        const bool smiley = expected.startsWith(u"smiley"_s);
        bob.ui.log.clear();
        bob.sound.finished.clear();
        command(alice, which);
        if (smiley) {
            ASSERT_TRUE(waitFor([&] { return bob.ui.log.contains(expected); })) << expected.toStdString();
            EXPECT_EQ(bobHandled->count, n) << "the popup holds the listener";
            if (which == Command::Oops) { // a still smiley: its one picture, shown as it opens
                EXPECT_EQ(bob.ui.popups.last()->pictures, QList<int>{res::OopsPicture});
            }
            bob.ui.popups.last()->pressOk();
        }
        ASSERT_TRUE(bobHandledAll(++n)) << expected.toStdString();
        EXPECT_EQ(smiley ? bob.ui.log.constFirst() : bob.sound.finished.join(u','), expected);
    }
    EXPECT_FALSE(bob.sound.played.contains(u"async:mail.snd"_s)) << "no notification sound";
}

TEST_F(TwoClients, WordSoundsMatchOnFourOrFiveCharactersAndPlayEveryClipInTurn)
{
    const std::pair<const char16_t *, const char16_t *> cases[] = {
        {u"|BURPS", u"sys2.snd"},
        {u"|FARX", u""},
        {u"|SICK", u"sys1.snd,sys1.snd,sys2.snd,sys1.snd,sys2.snd,sys1.snd,hurl.snd,sys1.snd,sys1.snd,sys2."
                   u"snd,sys1.snd"},
    };
    int n = 0;
    for (const auto &[body, clips] : cases) {
        bob.sound.finished.clear();
        deliver(u"alice"_s, QString::fromUtf16(body));
        ASSERT_TRUE(bobHandledAll(++n));
        EXPECT_EQ(bob.sound.finished.join(u','), QString::fromUtf16(clips))
            << QString::fromUtf16(body).toStdString();
    }
    EXPECT_TRUE(bob.messages.log.isEmpty());
}

TEST_F(TwoClients, RecordsArrivingDuringAClipAreHandledAfterItInArrivalOrder)
{
    bob.sound.holdClips(true);
    command(alice, Command::SoundHurl);
    ASSERT_TRUE(waitFor([&] { return bob.sound.played.contains(u"sync:hurl.snd"_s); }));
    alice.messages.sendScript = {{Step::Send, u"first"_s}, {Step::Send, u"second"_s}};
    ASSERT_TRUE(runToEnd(alice.client->messaging().SendMessageToSelected()));
    command(alice, Command::SoundWoof);
    ASSERT_TRUE(runToEnd(alice.client->messaging().SendMessageToSelected()));
    QTest::qWait(100);
    EXPECT_EQ(bobHandled->count, 0);
    EXPECT_TRUE(bob.messages.log.isEmpty()) << "nothing is read while the clip plays";

    bob.sound.holdClips(false);
    bob.sound.finishClips();
    ASSERT_TRUE(bobHandledAll(4));
    EXPECT_EQ(bob.sound.finished, (QStringList{u"hurl.snd"_s, u"woof.snd"_s}));
    EXPECT_EQ(bob.messages.log, (QStringList{u"received|alice|first"_s, u"received|alice|second"_s}));
}

TEST_F(TwoClients, RecordsArrivingWhileAMessageIsOpenWaitForIt)
{
    bob.messages.receivedScript = {Step::Hold};
    alice.messages.sendScript = {{Step::Send, u"one"_s}, {Step::Send, u"two"_s}};
    ASSERT_TRUE(runToEnd(alice.client->messaging().SendMessageToSelected()));
    command(alice, Command::Wink);
    ASSERT_TRUE(runToEnd(alice.client->messaging().SendMessageToSelected()));
    ASSERT_TRUE(waitFor([&] { return bob.messages.openCount() == 1; }));
    QTest::qWait(100);
    EXPECT_TRUE(bob.ui.log.isEmpty());
    EXPECT_EQ(bob.messages.log.size(), 1);

    bob.messages.lastOf(u"received"_s)->press(MessageUi::OkButton);
    ASSERT_TRUE(waitFor([&] { return bob.ui.log.contains(u"smiley|Wink|alice"_s); }));
    EXPECT_EQ(bob.messages.log.size(), 1) << "the message after the wink waits for the popup";
    bob.ui.popups.last()->pressOk();
    ASSERT_TRUE(bobHandledAll(3));
    EXPECT_EQ(bob.messages.log, (QStringList{u"received|alice|one"_s, u"received|alice|two"_s}));
}

// A record carrying bob's own handle: shown from LoopBack, answered at 127.0.0.1; an own
// announcement changes nothing.
TEST_F(TwoClients, OwnRecordsComeFromLoopBack)
{
    const QStringList itemsBefore = bob.mainWindow.items;
    deliver(u"bob"_s, u"|0019.9.9.9"_s);
    deliver(u"bob"_s, u"me again"_s);
    ASSERT_TRUE(bobHandledAll(2));
    EXPECT_EQ(bob.mainWindow.items, itemsBefore);
    EXPECT_EQ(bob.messages.log, QStringList{u"received|LoopBack|me again"_s});
    EXPECT_EQ(bob.client->sendMessageFields().m_replyAddress, u"127.0.0.1"_s);
}
