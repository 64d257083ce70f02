// Two clients in one process: the listener (listening, reading connections side by side,
// surviving bad input), messages, replies, smileys and sounds, and what this client puts on the
// wire, captured by a stand-in listener.
#include "PeerNetwork.h"
#include "RawPeer.h"

#include "channel/ChannelJoin.h"
#include "channel/PrivateChatPeer.h"
#include "consent/ContactRequests.h"
#include "messaging/Smileys.h"
#include "peer/PeerRecord.h"
#include "peer/Presence.h"
#include "resources/ResourceCatalogue.h"
#include "transfer/TransferCodes.h"

#include <QRandomGenerator>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using Step = ScriptedMessages::Step;

namespace {

QByteArray record(const char *handle, const QString &body, qsizetype block = peer::MessageBlock)
{
    return peer::buildRecord(QString::fromLatin1(handle), body, block);
}

// alice (loopback(2)) and bob (loopback(3)) have each other as contacts and listen.
struct TwoClients : ::testing::Test {
    PeerNetwork net;
    TestClient &alice = net.add(u"alice"_s, loopback(2));
    TestClient &bob = net.add(u"bob"_s, loopback(3));
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
    // `bytes`, or a record from `handle`, to bob, sent by hand.
    void deliverBytes(const QByteArray &bytes) { ASSERT_TRUE(sendRaw(loopback(3), net.port(), bytes)); }
    void deliver(const QString &handle, const QString &body)
    {
        deliverBytes(peer::buildRecord(handle, body, peer::MessageBlock));
    }
    bool bobHandledAll(int n)
    {
        return waitFor([&] { return bobHandled->count >= n; });
    }
    // The smiley or sound command that sends `code`, from the other's contact menu.
    void command(TestClient &from, const char16_t *code)
    {
        std::optional<Command> chosen;
        for (const messaging::SmileyRow &row : messaging::smileys())
            chosen = row.code.text == QStringView(code) ? std::optional(row.command) : chosen;
        for (const messaging::SoundRow &row : messaging::sounds())
            chosen = row.code.text == QStringView(code) ? row.command : chosen;
        ASSERT_TRUE(chosen);
        const QString to = &from == &alice ? u"bob"_s : u"alice"_s;
        ASSERT_TRUE(chooseFromMenu(from, to, *chosen));
    }
};

QByteArray randomBlock(QRandomGenerator &random)
{
    QByteArray block(static_cast<qsizetype>(random.bounded(1, 600)), Qt::Uninitialized);
    for (char &c : block)
        c = static_cast<char>(random.bounded(256));
    return block;
}

// Hands `count` random blocks, a third of them from "alice", straight to `dispatcher`.
QCoro::Task<> handleRandom(Dispatcher *dispatcher, QRandomGenerator *random, int count, int *done)
{
    for (; *done < count; ++*done) {
        QByteArray block = randomBlock(*random);
        if (*done % 3 == 0)
            block.replace(0, 6, "alice|");
        co_await dispatcher->handle(block);
    }
}

QByteArray padded(const QByteArray &text, qsizetype block)
{
    return text + QByteArray(block - text.size(), '\0');
}

// alice at loopback(2) with bob (loopback(3)) as contact; bob is a capture server.
struct WireTest : ::testing::Test {
    PeerNetwork net;
    TestClient &alice = net.add(u"alice"_s, loopback(2));
    CaptureServer bob{loopback(3), net.port()};

    void SetUp() override
    {
        ASSERT_TRUE(bob.isListening());
        net.befriend(alice, {u"bob"_s});
        alice.client->contacts().MarkContactOnline(0, loopback(3)); // listed at position 0
        selectContact(alice, u"bob"_s);
    }
};

} // namespace

TEST_F(TwoClients, MessageAndReplyGoBackToTheAddressStoredForTheSender)
{
    alice.messages.sendScript = {{Step::Send, u"hi bob"_s}};
    bob.messages.receivedScript = {Step::Reply};
    bob.messages.sendScript = {{Step::Send, u"hi alice"_s}};
    selectContact(bob, u"LoopBack"_s); // the reply must not go there

    ASSERT_TRUE(doubleClickContact(alice, u"bob"_s));
    ASSERT_TRUE(waitFor([&] { return aliceHandled->count == 1; }));

    EXPECT_EQ(alice.messages.log, (QStringList{u"send|main|bob|"_s, u"received|bob|hi alice"_s}));
    EXPECT_EQ(bob.messages.log, (QStringList{u"received|alice|hi bob"_s, u"send|desktop|alice|"_s}));
    EXPECT_TRUE(bob.sound.played.contains(u"async:mail.snd"_s));
    EXPECT_EQ(bob.client->sendMessageFields().m_replyMode, ReplyMode::Replied);
    EXPECT_FALSE(bob.client->messaging().state().replyPending());
    EXPECT_TRUE(bob.client->receivedMessageFields().m_message.isEmpty());
    EXPECT_EQ(bob.messages.openCount(), 0);
}

TEST_F(TwoClients, CancelKeepsTheTextUntilTheNextSendOfAnyKind)
{
    alice.messages.sendScript = {{Step::Cancel, u"draft"_s}, {Step::Cancel, std::nullopt}};
    ASSERT_TRUE(choose(alice, Command::SendMessage));
    ASSERT_TRUE(choose(alice, Command::SendMessage));
    EXPECT_EQ(alice.messages.dialogs.at(1)->shownMessage, u"draft"_s);
    EXPECT_FALSE(alice.client->messaging().state().sendDialogOpen());

    command(alice, u"|300"); // replaces the draft, then empties it
    ASSERT_TRUE(waitFor([&] { return !bob.ui.popups.isEmpty(); }));
    bob.ui.popups.last()->pressOk();
    ASSERT_TRUE(bobHandledAll(1));
    EXPECT_TRUE(alice.client->sendMessageFields().m_message.isEmpty());
    EXPECT_EQ(bob.ui.log.filter(u"smiley"_s), QStringList{u"smiley|Smile|alice"_s});
    EXPECT_TRUE(bob.messages.log.isEmpty()) << "the draft never went out";
}

// A Send Message while a reply is open does nothing (the main window's tests); the other way
// round, a Reply while a new message is open only closes the received message.
TEST_F(TwoClients, WhileASendDialogIsOpenAReplyOnlyClosesTheReceivedMessage)
{
    bob.mainWindow.choose(Command::SendMessage);
    EXPECT_TRUE(bob.client->messaging().state().sendDialogOpen());
    bob.messages.receivedScript = {Step::Reply};
    alice.messages.sendScript = {{Step::Send, u"pong?"_s}};
    ASSERT_TRUE(doubleClickContact(alice, u"bob"_s));
    ASSERT_TRUE(bobHandledAll(1));
    EXPECT_EQ(bob.messages.log.filter(u"send|"_s).size(), 1);
    EXPECT_EQ(bob.messages.openCount(), 1);
    EXPECT_FALSE(bob.client->messaging().state().replyPending());
    bob.messages.lastOf(u"send"_s)->press(MessageUi::CancelButton);
    ASSERT_TRUE(waitFor([&] { return !bob.client->messaging().state().sendDialogOpen(); }));
}

TEST_F(TwoClients, ARecordArrivingWhileComposingReaddressesTheOpenSendDialog)
{
    bob.mainWindow.choose(Command::SendMessage);
    const auto dialog = bob.messages.lastOf(u"send"_s);
    command(alice, u"|400");
    ASSERT_TRUE(bobHandledAll(1));
    EXPECT_EQ(bob.client->sendMessageFields().m_to, u"alice"_s);
    EXPECT_EQ(bob.client->sendMessageFields().m_replyAddress, loopback(2));
    EXPECT_EQ(dialog->shownTo, u"alice"_s);
    dialog->press(MessageUi::CancelButton);
    ASSERT_TRUE(waitFor([&] { return !bob.client->messaging().state().sendDialogOpen(); }));
}

// The one walk through the items of "Send Smiley" and "Send Sound", in menu order, from the
// menu on one side to the popup or clip on the other.
TEST_F(TwoClients, EverySmileyShowsItsPopupAndEverySoundPlaysItsClip)
{
    const struct {
        const char16_t *item;
        int command;
        const char16_t *seen;
    } cases[] = {
        {u"Smile", 32791, u"smiley|Smile|alice"},
        {u"Frown", 32792, u"smiley|Frown|alice"},
        {u"Wink", 32793, u"smiley|Wink|alice"},
        {u"Kiss", 32800, u"smiley|Kiss|alice"},
        {u"AAHHH!", 32798, u"smiley|AAHHH!|alice"},
        {u"Possessed", 32799, u"smiley|Possessed|alice"},
        {u"Oops!", 32801, u"smiley|Oops!|alice"},
        {u"LOL", 32794, u"lol.snd"},
        {u"Incoming!", 32808, u"incoming.snd"},
        {u"Applause", 32796, u"applause.snd"},
        {u"Kiss", 32797, u"smootch.snd"},
        {u"Shoot 'Em", 32802, u"shoot.snd"},
        {u"Boing!", 32803, u"boing.snd"},
        {u"Whip It!", 32805, u"whip.snd"},
        {u"Woof!", 32824, u"woof.snd"},
        {u"Hurl", 32810, u"hurl.snd"},
        {u"Cat Fight", 32823, u"catfight.snd"},
    };
    alice.client->mainWindowTask().open();
    QList<MenuItem> items;
    for (const MenuItem &submenu : std::as_const(alice.mainWindow.contactMenu)) {
        if (submenu.text == u"Send Smiley"_s || submenu.text == u"Send Sound"_s)
            items += submenu.children;
    }
    ASSERT_EQ(items.size(), qsizetype(std::size(cases)));
    int n = 0;
    for (const auto &c : cases) {
        const MenuItem &item = items.at(n);
        const QString expected = QString::fromUtf16(c.seen);
        EXPECT_EQ(item.text, QString::fromUtf16(c.item));
        EXPECT_EQ(item.id, c.command) << expected.toStdString();
        const bool smiley = expected.startsWith(u"smiley"_s);
        bob.ui.log.clear();
        bob.sound.finished.clear();
        alice.mainWindow.choose(Command{item.id});
        if (smiley) {
            ASSERT_TRUE(waitFor([&] { return bob.ui.log.contains(expected); })) << expected.toStdString();
            EXPECT_EQ(bobHandled->count, n) << "the popup holds the listener";
            if (item.text == u"Oops!"_s) { // a still smiley: its one picture, shown as it opens
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
    command(alice, u"|403");
    ASSERT_TRUE(waitFor([&] { return bob.sound.played.contains(u"sync:hurl.snd"_s); }));
    alice.messages.sendScript = {{Step::Send, u"first"_s}, {Step::Send, u"second"_s}};
    ASSERT_TRUE(doubleClickContact(alice, u"bob"_s));
    command(alice, u"|407");
    ASSERT_TRUE(doubleClickContact(alice, u"bob"_s));
    ASSERT_TRUE(waitFor([&] { return bobHandled->read == 4; }));
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
    ASSERT_TRUE(doubleClickContact(alice, u"bob"_s));
    command(alice, u"|302");
    ASSERT_TRUE(doubleClickContact(alice, u"bob"_s));
    ASSERT_TRUE(waitFor([&] { return bob.messages.openCount() == 1 && bobHandled->read == 3; }));
    ASSERT_TRUE(settle());
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

TEST_F(TwoClients, MalformedRecordsAreDroppedWithoutHarm)
{
    const QByteArray cases[] = {
        QByteArray(),                                // an empty connection
        QByteArray("alice hello, no separator"),     // no "|"
        QByteArray("alice|") + QByteArray(900, 'y'), // no zero byte, longer than a read
        record("alice", u"|399"_s),                  // a code-like body that is no code
        record("alice", u"|600123"_s),               // a file offer without "<"
        record("alice", u"|"_s),
        record("mallory", u"hello"_s), // a stranger
        record("alice-but-far-too-long-to-be-any-handle-at-all", u"hello"_s),
        QByteArray("|hello"), // an empty handle
    };
    for (const QByteArray &bytes : cases)
        deliverBytes(bytes);
    ASSERT_TRUE(bobHandledAll(static_cast<int>(std::size(cases))));
    // Only the over-long read showed something: the first 511 bytes, as a message from alice.
    ASSERT_EQ(bob.messages.log.size(), 1);
    EXPECT_EQ(bob.messages.log.at(0), u"received|alice|"_s + QString(505, u'y'));
    EXPECT_TRUE(bob.ui.log.isEmpty());
    EXPECT_TRUE(bob.sound.finished.isEmpty());

    deliverBytes(record("alice", u"still here"_s));
    ASSERT_TRUE(bobHandledAll(static_cast<int>(std::size(cases)) + 1));
    EXPECT_EQ(bob.messages.log.last(), u"received|alice|still here"_s);
}

TEST_F(TwoClients, TenThousandRandomBlocksAreHandledWithoutHarm)
{
    Client &c = *bob.client;
    Dispatcher &dispatcher = c.dispatcher();
    QRandomGenerator random(1234);
    int done = 0;
    EXPECT_TRUE(runToEnd(handleRandom(&dispatcher, &random, 10000, &done), 60s)) << "stuck at block " << done;
    EXPECT_GT(bob.messages.log.size(), 1000) << "many were shown as messages from alice";
    EXPECT_EQ(bob.messages.openCount(), 0);

    for (int i = 0; i < 30; ++i)
        deliverBytes(randomBlock(random));
    deliverBytes(record("alice", u"after the noise"_s));
    ASSERT_TRUE(bobHandledAll(31));
    EXPECT_EQ(bob.messages.log.last(), u"received|alice|after the noise"_s);
}

TEST_F(TwoClients, RecordInTwoPiecesIsReadWhole)
{
    const QByteArray block = record("alice", u"one record, two writes"_s);
    RawConnection c(loopback(3), net.port());
    ASSERT_TRUE(c.write(block.left(8)));
    ASSERT_TRUE(waitFor([&] { return bob.client->listener().reading() == 1; }));
    ASSERT_TRUE(c.write(block.mid(8)));
    c.close();
    ASSERT_TRUE(bobHandledAll(1));
    EXPECT_EQ(bob.messages.log, QStringList{u"received|alice|one record, two writes"_s});
}

// Connections are read side by side: peers that stay silent, or send half a record and wait,
// hold up nobody. Past the bound per address, silent connections are dropped first, so the
// half record is still read when its window ends.
TEST_F(TwoClients, SilentPeersHoldUpNobody)
{
    RawConnection lingering(loopback(3), net.port());
    ASSERT_TRUE(lingering.write("alice|short and open"));
    std::vector<std::unique_ptr<RawConnection>> silent;
    for (int i = 0; i < 20; ++i)
        silent.push_back(std::make_unique<RawConnection>(loopback(3), net.port()));
    deliverBytes(record("alice", u"next"_s));
    ASSERT_TRUE(bobHandledAll(1));
    EXPECT_EQ(bob.messages.log, QStringList{u"received|alice|next"_s});

    ASSERT_TRUE(waitFor([&] { return bob.messages.log.size() == 2; }, 10s));
    EXPECT_EQ(bob.messages.log.last(), u"received|alice|short and open"_s);
}

// The port is taken for the first tries: given up after three with one message, or listening
// once it frees up in time.
TEST(ListenerStart, ThreeTriesToListenThenOneMessage)
{
    for (const bool freed : {false, true}) {
        PeerNetwork net;
        auto squatter = std::make_unique<QTcpServer>();
        ASSERT_TRUE(squatter->listen(QHostAddress(loopback(3)), net.port()));
        TestClient &bob = net.add(u"bob"_s, loopback(3));
        bool gaveUp = false;
        QObject::connect(&bob.client->listener(), &Listener::gaveUp, [&] { gaveUp = true; });
        bob.client->listener().start(); // the first try fails before start() returns
        ASSERT_FALSE(bob.client->listener().isListening());
        if (freed)
            squatter.reset();
        ASSERT_TRUE(waitFor([&] { return gaveUp || bob.client->listener().isListening(); }));
        EXPECT_EQ(bob.client->listener().isListening(), freed);
        EXPECT_EQ(bob.ui.log, freed
                                  ? QStringList()
                                  : QStringList{u"message|Winsock Error - Please Logoff|Error Code 1001"_s});
    }
}

TEST_F(TwoClients, AnswersAndNoticesShowTheirMessages)
{
    const struct {
        const char16_t *body;
        const char16_t *shown; // the message box line, empty for none
        bool withSound;
    } cases[] = {
        {u"|005", u"message|Contact Is Not Hosting A Chat Channel|", false},
        {u"|007", u"message|alice|User Added You To Their Contact List", false},
        {u"|601photo.png", u"message|alice Is Busy Receiving Another File|Try To Send It Again Later", true},
        {u"|602photo.png", u"message|alice Has Received photo.png|File Transfer Complete", true},
        {u"|603photo.png", u"message|alice Does Not Want The File|File Transfer Cancelled", true},
        {u"|702nothing", u"message|alice Does Not Want To Join|Private Chat, Maybe Later ...", true},
        {u"|703nothing", u"message|alice Is Busy In Another Chat Session|Try Again Later", true},
        {u"|704nothing", u"", false},
    };
    int n = 0;
    for (const auto &c : cases) {
        const QString body = QString::fromUtf16(c.body);
        bob.ui.log.clear();
        bob.sound.played.clear();
        deliverBytes(record("alice", body, peer::ShortBlock));
        ASSERT_TRUE(bobHandledAll(++n)) << body.toStdString();
        const QString shown = QString::fromUtf16(c.shown);
        EXPECT_EQ(bob.ui.log.filter(u"message|"_s), shown.isEmpty() ? QStringList() : QStringList{shown})
            << body.toStdString();
        EXPECT_EQ(bob.sound.played.contains(u"async:mail.snd"_s), c.withSound) << body.toStdString();
    }
}

// What each feature puts on the wire, read from a real socket: a message or a code after the
// handle and a bar, the payload, and the block the code travels in. Busy answers ask nothing.
TEST_F(WireTest, EachFeatureSendsItsCodesInTheirBlocks)
{
    ASSERT_TRUE(PeerNetwork::startListening(alice));
    alice.client->mainWindowTask().open();
    const auto fromBob = [&](const QString &handle, peer::RecordCode code, const QString &payload = {}) {
        ASSERT_TRUE(sendRaw(loopback(2), net.port(), peer::buildRecord(handle, code, payload)));
    };
    const auto answerRequest = [&](int button) {
        fromBob(u"mallory"_s, presence::Online, loopback(3));
        ASSERT_TRUE(waitFor([&] { return alice.consent.open(u"request-to-add"_s) != nullptr; }));
        alice.consent.open(u"request-to-add"_s)->press(button);
    };
    const auto chatIdle = [&] {
        return waitFor([&] { return !alice.client->privateChat().session().busy(); });
    };
    const struct {
        std::function<void()> act;
        QByteArray sent;
    } steps[] = {
        {[&] {
             alice.messages.sendScript = {{Step::Send, u"hello\r\nthere"_s}};
             alice.mainWindow.choose(Command::SendMessage);
         },
         padded("alice|hello\r\nthere", 522)},
        {[&] { alice.mainWindow.choose(Command{32793}); }, padded("alice||302", 522)}, // Wink
        {[&] { alice.mainWindow.click(0), alice.mainWindow.choose(Command::JoinChannel); },
         padded("alice||003", 20)},
        {[&] { fromBob(u"bob"_s, channel::JoinAsk); }, padded("alice||005", 20)},
        {[&] {
             alice.mainWindow.choose(Command::HostChannel);
             ASSERT_TRUE(waitFor([&] { return alice.channel.last() && alice.channel.last()->open; }));
             fromBob(u"bob"_s, channel::JoinAsk);
         },
         padded("alice||004", 20)},
        {[&] { answerRequest(ConsentUi::NoButton); }, padded("alice||006", 39)},
        {[&] { answerRequest(ConsentUi::YesButton); }, padded("alice||007", 522)},
        {[&] { alice.mainWindow.choose(Command::PrivateChat); }, padded("alice||700nothing", 75)},
        {[&] { fromBob(u"bob"_s, channel::ChatRequest, peer::NoPayload); }, padded("alice||703nothing", 75)},
        {[&] {
             alice.privateChat.last().pressClose();
             ASSERT_TRUE(chatIdle());
             fromBob(u"bob"_s, channel::ChatRequest, peer::NoPayload);
         },
         padded("alice||702nothing", 75)},
        {[&] {
             alice.privateChat.answers = {true};
             fromBob(u"bob"_s, channel::ChatRequest, peer::NoPayload);
             ASSERT_TRUE(waitFor([&] { return alice.privateChat.windows.size() == 2; }));
             alice.privateChat.last().pressClose(); // the partner joined: the chat's end is told
         },
         padded("alice||704nothing", 75)},
    };
    for (qsizetype i = 0; i < qsizetype(std::size(steps)); ++i) {
        steps[i].act();
        ASSERT_TRUE(bob.waitForRecords(int(i) + 1)) << steps[i].sent.constData();
        EXPECT_EQ(bob.records.at(i), steps[i].sent);
    }
    EXPECT_EQ(alice.privateChat.log.filter(u"request|"_s).size(), 2) << "the busy answer asked nothing";
}

TEST_F(WireTest, UnreachableAddressesAreToldOnlyBySendShortRecord)
{
    alice.client->contacts().setAddress(0, loopback(9)); // nobody listens there
    ASSERT_TRUE(runToEnd(
        alice.client->peerSender().SendPeerRecord(loopback(9), u"anyone?"_s, DialogOwner::MainWindow)));
    EXPECT_TRUE(alice.ui.log.isEmpty());

    ASSERT_TRUE(runToEnd(alice.client->peerSender().SendShortRecord(u"alice"_s, loopback(9),
                                                                    peer::NoPayload, channel::ChatRequest)));
    EXPECT_EQ(alice.ui.log, QStringList{u"message|Error Connecting - Error Code 1050|"_s});
}
