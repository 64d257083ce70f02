// Real clients on loopback: a hosted channel, joining and leaving, the decisions about strangers
// and members who cannot be reached; private chat, its request, answers, lines and end.
#include "PeerNetwork.h"

#include "RawPeer.h"

#include "channel/ChannelJoin.h"
#include "channel/ChannelLine.h"
#include "channel/PrivateChatWindow.h"
#include "mainwindow/CommandHandlers.h"
#include "peer/PeerSender.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;

namespace {

QString joinedRow(const char *handle)
{
    return QString::fromLatin1(handle) + u">  <-- Has Joined The Channel --> "_s;
}

QString leftRow(const char *handle)
{
    return QString::fromLatin1(handle) + u">  <-- Has Left The Channel -->"_s;
}

// anna hosts; bob and carl join; dave is everybody's contact and hosts nothing.
struct Channel : ::testing::Test {
    PeerNetwork net;
    TestClient &anna = net.add(u"anna"_s, loopback(2));
    TestClient &bob = net.add(u"bob"_s, loopback(3));
    TestClient &carl = net.add(u"carl"_s, loopback(4));
    TestClient &dave = net.add(u"dave"_s, loopback(5));

    void SetUp() override
    {
        const QStringList all{u"anna"_s, u"bob"_s, u"carl"_s, u"dave"_s};
        for (TestClient *c : {&anna, &bob, &carl, &dave}) {
            QStringList others = all;
            others.removeOne(c->client->logon().ownHandle);
            net.befriend(*c, others);
            ASSERT_TRUE(PeerNetwork::startListening(*c));
        }
    }

    static void host(TestClient &c)
    {
        ASSERT_TRUE(choose(c, Command::HostChannel));
        ASSERT_TRUE(waitFor([&c] { return c.channel.last() && c.channel.last()->open; }));
    }
    static void requestJoin(TestClient &member, const QString &host)
    {
        ASSERT_TRUE(chooseFromMenu(member, host, Command::JoinChannel));
    }
    static void join(TestClient &member, const QString &host)
    {
        const auto before = member.channel.windows.size();
        requestJoin(member, host);
        ASSERT_TRUE(waitFor([&] { return member.channel.windows.size() > before; }));
    }
    static std::shared_ptr<ChatWindowRecord> window(TestClient &c) { return c.channel.last(); }
    static bool shows(TestClient &c, const QString &row)
    {
        return waitFor([&] { return window(c)->rows.contains(row); });
    }
    static void say(TestClient &c, const QString &text)
    {
        const auto rows = window(c)->rows.size();
        window(c)->say(text);
        ASSERT_TRUE(waitFor([&] { return window(c)->rows.size() > rows; }));
    }
    static bool marked(TestClient &c, const QString &handle)
    {
        const ContactTable &table = c.client->contacts();
        return table.contact(*table.FindContactByHandle(handle)).inChannel;
    }
};

TEST_F(Channel, LinesReachEveryMemberButTheirSenderInOrder)
{
    host(anna);
    join(bob, u"anna"_s);
    ASSERT_TRUE(shows(anna, joinedRow("bob")));
    join(carl, u"anna"_s);
    ASSERT_TRUE(shows(anna, joinedRow("carl")));
    ASSERT_TRUE(shows(bob, joinedRow("carl")));
    EXPECT_EQ(window(bob)->label, u"anna"_s);
    EXPECT_EQ(window(anna)->label, u"anna"_s);

    // Each waits for the last line to arrive, so the rows come in one order everywhere.
    say(anna, u"hi all"_s);
    ASSERT_TRUE(shows(bob, u"anna> hi all"_s) && shows(carl, u"anna> hi all"_s));
    for (int i = 1; i <= 5; ++i)
        say(bob, QString::number(i));
    ASSERT_TRUE(shows(carl, u"bob> 5"_s));
    say(carl, QString());
    ASSERT_TRUE(shows(bob, u"carl> "_s));
    ASSERT_TRUE(shows(anna, u"carl> "_s));
    const QStringList fromBob{u"bob> 1"_s, u"bob> 2"_s, u"bob> 3"_s, u"bob> 4"_s, u"bob> 5"_s};
    EXPECT_EQ(window(anna)->rows, QStringList({joinedRow("bob"), joinedRow("carl"), u"anna> hi all"_s}) +
                                      fromBob + QStringList{u"carl> "_s});
    EXPECT_EQ(window(carl)->rows, QStringList{u"anna> hi all"_s} + fromBob + QStringList{u"carl> "_s});
    EXPECT_EQ(window(bob)->rows,
              (QStringList{joinedRow("carl"), u"anna> hi all"_s} + fromBob + QStringList{u"carl> "_s}));

    // bob leaves: the others hear it, and anna stops sending to him.
    window(bob)->pressClose();
    ASSERT_TRUE(shows(carl, leftRow("bob")));
    EXPECT_TRUE(window(anna)->rows.contains(leftRow("bob")));
    EXPECT_FALSE(marked(anna, u"bob"_s));
    say(anna, u"still here"_s);
    ASSERT_TRUE(shows(carl, u"anna> still here"_s));

    // The host closes; carl stays in his window and hears the next channel without joining.
    window(anna)->pressClose();
    ASSERT_TRUE(shows(carl, channel::SessionClosed));
    host(anna);
    say(anna, u"again"_s);
    ASSERT_TRUE(shows(carl, u"anna> again"_s));
    window(carl)->pressClose();
    ASSERT_TRUE(shows(anna, leftRow("carl")));
    EXPECT_FALSE(marked(anna, u"carl"_s));
    EXPECT_EQ(anna.channel.windows.size(), 2);
    EXPECT_EQ(bob.channel.windows.first()->rows.filter(u"again"_s), QStringList());
    for (TestClient *c : {&anna, &bob, &carl})
        EXPECT_EQ(c->ui.log, QStringList()) << c->client->logon().ownHandle.toStdString();
}

TEST_F(Channel, JoinAnswersAndFailures)
{
    // Hosting twice, joining while hosting.
    ASSERT_TRUE(choose(anna, Command::HostChannel));
    ASSERT_TRUE(waitFor([&] { return window(anna) != nullptr; }));
    host(anna);
    EXPECT_EQ(anna.channel.windows.size(), 1);
    requestJoin(anna, u"bob"_s);
    requestJoin(carl, u"dave"_s);
    ASSERT_TRUE(waitFor([&] { return !carl.ui.log.isEmpty(); }));
    carl.client->contacts().setAddress(*carl.client->contacts().FindContactByHandle(u"bob"_s), u"0"_s);
    requestJoin(carl, u"bob"_s);
    EXPECT_EQ(anna.ui.log, QStringList{u"message|You Are Already In A Channel|"_s});
    EXPECT_EQ(carl.ui.log, (QStringList{u"message|Contact Is Not Hosting A Chat Channel|"_s,
                                        u"message|Error Connecting - Error Code 1007|"_s}));
    EXPECT_TRUE(carl.channel.windows.isEmpty());
}

TEST_F(Channel, OneWindowPerClientAndTheSecondHostHearsItLeave)
{
    host(anna);
    host(carl);
    join(bob, u"anna"_s);
    // carl accepts a request bob sent before anna's answer came.
    const ContactTable &table = carl.client->contacts();
    const int bobAtCarl = *table.FindContactByHandle(u"bob"_s);
    Origin asker{u"bob"_s, u"bob"_s, table.contact(bobAtCarl).address, bobAtCarl};
    runToEnd(carl.client->channels().join().AnswerJoin(asker));
    ASSERT_TRUE(shows(carl, leftRow("bob")));
    EXPECT_FALSE(marked(carl, u"bob"_s));
    // A repeated answer from his own host leaves bob where he is.
    HandledCounter bobHandled(bob);
    const ContactTable &annaTable = anna.client->contacts();
    const int bobAtAnna = *annaTable.FindContactByHandle(u"bob"_s);
    runToEnd(anna.client->channels().join().AnswerJoin(
        {u"bob"_s, u"bob"_s, annaTable.contact(bobAtAnna).address, bobAtAnna}));
    ASSERT_TRUE(waitFor([&] { return bobHandled.count == 1; }));
    EXPECT_TRUE(marked(anna, u"bob"_s));
    EXPECT_EQ(bob.channel.windows.size(), 1);
    say(carl, u"not for bob"_s);
    say(anna, u"for bob"_s);
    ASSERT_TRUE(shows(bob, u"anna> for bob"_s));
    EXPECT_FALSE(window(bob)->rows.contains(u"carl> not for bob"_s));
}

TEST_F(Channel, StrangersAreNotHeardAndUnreachableMembersStayAndCostOneMessage)
{
    host(anna);
    join(bob, u"anna"_s);
    ASSERT_TRUE(shows(anna, joinedRow("bob")));
    const HandledCounter annaLines(anna.client->channels().listener()), bobLines(bob.client->channels().listener());
    RecordSender &daveSends = dave.client->peerSender().records();
    const QByteArray forged = channel::lineBlock(u"bob> forged"_s);
    EXPECT_EQ(runToEnd(daveSends.sendBlock(loopback(2), net.channelPort(), forged)), SendOutcome::Sent);
    EXPECT_EQ(runToEnd(daveSends.sendBlock(loopback(3), net.channelPort(), forged)), SendOutcome::Sent);
    ASSERT_TRUE(waitFor([&] { return annaLines.count == 1 && bobLines.count == 1; }));
    EXPECT_EQ(window(anna)->rows, QStringList{joinedRow("bob")});
    EXPECT_TRUE(window(bob)->rows.isEmpty());

    // carl was accepted but his chat listener is not up yet; dave's client has gone. Each costs
    // one message in this channel, and both stay members.
    ContactTable &table = anna.client->contacts();
    const int daveIndex = *table.FindContactByHandle(u"dave"_s);
    table.setAddress(daveIndex, loopback(9));
    table.setInChannel(*table.FindContactByHandle(u"carl"_s));
    table.setInChannel(daveIndex);
    say(anna, u"one"_s);
    ASSERT_TRUE(waitFor([&] { return anna.ui.log.size() == 2; }));
    // carl hears anna's "|004" now: his window opens, and the host hears him and reaches him.
    ASSERT_TRUE(sendRaw(loopback(4), net.port(), peer::buildRecord(u"anna"_s, channel::JoinYes)));
    ASSERT_TRUE(shows(anna, joinedRow("carl")));
    say(carl, u"here now"_s);
    ASSERT_TRUE(shows(anna, u"carl> here now"_s) && shows(bob, u"carl> here now"_s));
    say(anna, u"two"_s);
    say(anna, u"three"_s); // delivered once "two" has been, failures told
    ASSERT_TRUE(shows(carl, u"anna> two"_s) && shows(bob, u"anna> three"_s));
    EXPECT_EQ(anna.ui.log, QStringList(2, u"message|Host Closed Channel|"_s)) << "carl's and dave's";
    EXPECT_TRUE(marked(anna, u"carl"_s) && marked(anna, u"dave"_s));
}

// A client that listens on every address of its machine, here loopback(6) and the 127.0.0.1
// its routes would pick, sends from the one it published, where the host looked it up.
TEST_F(Channel, LinesGoOutFromThePublishedAddress)
{
    TestClient &erin = net.add(u"erin"_s, u"0.0.0.0"_s);
    ClientSetup::loggedOn(*erin.client, u"erin"_s, loopback(6));
    host(anna);
    ContactTable &table = anna.client->contacts();
    table.AddContactRecord(u"erin"_s, loopback(6), true);
    table.setInChannel(*table.FindContactByHandle(u"erin"_s));
    const QByteArray line = channel::lineBlock(u"erin> from where I said I am"_s);
    RecordSender &erinSends = erin.client->peerSender().records();
    ASSERT_EQ(runToEnd(erinSends.sendBlock(loopback(2), net.channelPort(), line)), SendOutcome::Sent);
    EXPECT_TRUE(shows(anna, u"erin> from where I said I am"_s));
}

QString row(const QString &text)
{
    return u"row|"_s + text;
}
const QString Joined = row(joinedRow("bob"));
const QString Closing = row(u"<-- Chat Session Closed - Please Exit -->"_s);

// Private chat between the same clients: the request, its answers, the lines and the end.
struct PrivateChat : Channel {
    static const PrivateChatSession &session(TestClient &c) { return c.client->privateChat().session(); }
    static QStringList messages(TestClient &c) { return c.ui.log.filter(u"message|"_s); }
    static bool ask(TestClient &from, const QString &to)
    {
        return chooseFromMenu(from, to, Command::PrivateChat);
    }
    // anna asks bob, who accepts; true once anna has seen bob join.
    bool talking()
    {
        anna.privateChat.log.clear();
        bob.privateChat.log.clear();
        bob.privateChat.answers = {true};
        return ask(anna, u"bob"_s) && waitFor([&] { return anna.privateChat.log.contains(Joined); });
    }
};

// A line shows in the same rows on both sides; a line from anyone but the partner is dropped.
TEST_F(PrivateChat, AcceptedChatShowsEachLineOnBothSides)
{
    ASSERT_TRUE(talking());
    EXPECT_EQ(bob.privateChat.log, QStringList({u"request|anna"_s, u"window|anna <--> bob"_s}));
    EXPECT_TRUE(bob.sound.played.contains(u"async:mail.snd"_s));
    const HandledCounter bobLines(bob.client->privateChat().window().listener());

    const QByteArray fromCarl = channel::lineBlock(u"anna> from carl"_s);
    ASSERT_EQ(runToEnd(carl.client->peerSender().records().sendBlock(loopback(3), net.privateChatPort(),
                                                                     fromCarl)),
              SendOutcome::Sent);
    const QString text = u"the quick brown fox jumps over the lazy dog "_s.repeated(3).left(100);
    anna.privateChat.last().say(text);
    const QStringList rows = channel::channelRows(u"anna> "_s + text);
    ASSERT_EQ(rows.size(), 2);
    ASSERT_TRUE(waitFor([&] { return bobLines.count == 2; })) << "carl's line and anna's";
    EXPECT_EQ(bob.privateChat.last().rows, rows);
    EXPECT_EQ(anna.privateChat.log,
              QStringList({u"window|bob <--> anna"_s, row(u"Please Wait For Contact To Join ..."_s), Joined,
                           row(rows[0]), row(rows[1])}));
    EXPECT_EQ(session(anna).rowCount(), 4) << "the next row's index; the waiting row is row 0";
    EXPECT_TRUE(messages(anna).isEmpty() && messages(bob).isEmpty());
}

// The other side sees the leave notice and the closing line; its own close then sends only
// its leave notice.
TEST_F(PrivateChat, ClosingFromEitherSide)
{
    for (const bool annaCloses : {true, false}) {
        ASSERT_TRUE(talking());
        TestClient &closer = annaCloses ? anna : bob;
        TestClient &other = annaCloses ? bob : anna;
        other.privateChat.log.clear();
        closer.privateChat.last().press(ChatView::CloseButton);
        ASSERT_TRUE(waitFor([&] { return other.privateChat.log.contains(Closing); }));
        const QString left = closer.client->logon().ownHandle + u">  <-- Has Left The Channel -->"_s;
        EXPECT_EQ(other.privateChat.log, QStringList({row(left), Closing}));
        EXPECT_TRUE(session(other).busy() && !session(closer).busy());
        ASSERT_TRUE(waitFor([&] { return session(other).peerClosed(); }));

        other.privateChat.last().press(ChatView::CloseButton);
        ASSERT_TRUE(waitFor([&] { return !session(other).windowOpen(); }));
        ASSERT_TRUE(drained(closer));
        EXPECT_FALSE(session(closer).peerClosed()) << "no \"|704\" back";
        EXPECT_TRUE(messages(anna).isEmpty() && messages(bob).isEmpty());
    }
}

// A refused chat closes the initiator's window; nothing more goes to the partner, who never joined.
TEST_F(PrivateChat, DeclinedAndBusyAnswersCloseTheInitiatorsWindow)
{
    ASSERT_TRUE(ask(carl, u"anna"_s));
    ASSERT_TRUE(waitFor([&] { return !carl.privateChat.last().open; }));
    EXPECT_EQ(messages(carl), QStringList(QStringLiteral(
                                  "message|anna Does Not Want To Join|Private Chat, Maybe Later ...")));
    EXPECT_EQ(anna.privateChat.log, QStringList(u"request|carl"_s));

    ASSERT_TRUE(talking());
    ASSERT_TRUE(ask(carl, u"bob"_s));
    ASSERT_TRUE(waitFor([&] { return !carl.privateChat.last().open; }));
    EXPECT_EQ(messages(carl).last(), u"message|bob Is Busy In Another Chat Session|Try Again Later"_s);
    EXPECT_EQ(bob.privateChat.log.size(), 2) << "bob is not asked";
    EXPECT_TRUE(ask(anna, u"carl"_s)) << "a second request does nothing";
    ASSERT_TRUE(drained(carl) && drained(bob));
    EXPECT_FALSE(session(anna).peerClosed() || session(bob).peerClosed() || session(carl).busy());
    EXPECT_EQ(messages(carl).size(), 2) << "no closing line to a listener that is not there";
    EXPECT_TRUE(carl.privateChat.log.filter(u"request|"_s).isEmpty());
    EXPECT_TRUE(bob.privateChat.last().open && anna.privateChat.windows.size() == 1);
}

} // namespace
