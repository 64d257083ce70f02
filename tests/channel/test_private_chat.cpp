// Private chat between real clients on loopback: the request, its answers, the lines and the end.
#include "PeerNetwork.h"
#include "RunTask.h"

#include "channel/ChannelLine.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;

namespace {

QString row(const QString &text)
{
    return u"row|"_s + text;
}
const QString Joined = row(u"bob>  <-- Has Joined The Channel --> "_s);
const QString Closing = row(u"<-- Chat Session Closed - Please Exit -->"_s);

// anna (127.0.0.2), bob (127.0.0.3) and carl (127.0.0.4), each a contact of the others.
struct PrivateChat : ::testing::Test {
    PeerNetwork net;
    TestClient &anna = net.add(u"anna"_s, u"127.0.0.2"_s);
    TestClient &bob = net.add(u"bob"_s, u"127.0.0.3"_s);
    TestClient &carl = net.add(u"carl"_s, u"127.0.0.4"_s);

    void SetUp() override
    {
        for (TestClient *c : {&anna, &bob, &carl}) {
            net.befriend(*c, {u"anna"_s, u"bob"_s, u"carl"_s});
            ASSERT_TRUE(PeerNetwork::startListening(*c));
        }
    }

    static PrivateChatSession &session(TestClient &c) { return c.client->privateChat().session(); }
    static QStringList messages(TestClient &c) { return c.ui.log.filter(u"message|"_s); }
    static bool ask(TestClient &from, const QString &to)
    {
        selectContact(from, to);
        return runToEnd(from.client->privateChat().PrivateChat());
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

    const QByteArray fromCarl = channel::lineBlock(u"anna> from carl"_s);
    ASSERT_EQ(runToEnd(carl.client->peerSender().records().sendBlock(u"127.0.0.3"_s, net.privateChatPort(),
                                                                     fromCarl)),
              SendOutcome::Sent);
    const QString text = u"the quick brown fox jumps over the lazy dog "_s.repeated(3).left(100);
    anna.privateChat.last().say(text);
    const QStringList rows = channel::channelRows(u"anna> "_s + text);
    ASSERT_EQ(rows.size(), 2);
    ASSERT_TRUE(waitFor([&] { return bob.privateChat.last().rows.size() >= 2; }));
    QTest::qWait(100);
    EXPECT_EQ(bob.privateChat.last().rows, rows);
    EXPECT_EQ(anna.privateChat.log,
              QStringList({u"window|bob <--> anna"_s, row(u"Please Wait For Contact To Join ..."_s), Joined,
                           row(rows[0]), row(rows[1])}));
    EXPECT_EQ(session(anna).rowCount, 4) << "the next row's index; the waiting row is row 0";
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
        EXPECT_TRUE(session(other).inPrivateChat && !session(closer).inPrivateChat);
        ASSERT_TRUE(waitFor([&] { return session(other).peerClosed; }));

        other.privateChat.last().press(ChatView::CloseButton);
        ASSERT_TRUE(waitFor([&] { return !session(other).chatOpen; }));
        QTest::qWait(300);
        EXPECT_FALSE(session(closer).peerClosed) << "no \"|704\" back";
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
    QTest::qWait(300);
    EXPECT_FALSE(session(anna).peerClosed || session(bob).peerClosed || session(carl).inPrivateChat);
    EXPECT_EQ(messages(carl).size(), 2) << "no closing line to a listener that is not there";
    EXPECT_TRUE(carl.privateChat.log.filter(u"request|"_s).isEmpty());
    EXPECT_TRUE(bob.privateChat.last().open && anna.privateChat.windows.size() == 1);
}

} // namespace
