// Private chat between real clients on loopback: the request, its answers, the lines and the end.
#include "PeerNetwork.h"
#include "RunTask.h"

#include "channel/ChannelLine.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {

QString row(const QString &text)
{
    return QStringLiteral("row|") + text;
}
const QString Joined = row(QStringLiteral("bob>  <-- Has Joined The Channel --> "));
const QString Closing = row(QStringLiteral("<-- Chat Session Closed - Please Exit -->"));

// anna (127.0.0.2), bob (127.0.0.3) and carl (127.0.0.4), each a contact of the others.
struct PrivateChat : ::testing::Test {
    PeerNetwork net;
    TestClient &anna = net.add(QStringLiteral("anna"), QStringLiteral("127.0.0.2"));
    TestClient &bob = net.add(QStringLiteral("bob"), QStringLiteral("127.0.0.3"));
    TestClient &carl = net.add(QStringLiteral("carl"), QStringLiteral("127.0.0.4"));

    void SetUp() override
    {
        for (TestClient *c : {&anna, &bob, &carl}) {
            net.befriend(*c, {QStringLiteral("anna"), QStringLiteral("bob"), QStringLiteral("carl")});
            ASSERT_TRUE(PeerNetwork::startListening(*c));
        }
    }

    static PrivateChatSession &session(TestClient &c) { return c.client->privateChat().session(); }
    static QStringList messages(TestClient &c) { return c.ui.log.filter(QStringLiteral("message|")); }
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
        return ask(anna, QStringLiteral("bob")) &&
               waitFor([&] { return anna.privateChat.log.contains(Joined); });
    }
};

// A line shows in the same rows on both sides; a line from anyone but the partner is dropped.
TEST_F(PrivateChat, AcceptedChatShowsEachLineOnBothSides)
{
    ASSERT_TRUE(talking());
    EXPECT_EQ(bob.privateChat.log,
              QStringList({QStringLiteral("request|anna"), QStringLiteral("window|anna <--> bob")}));
    EXPECT_TRUE(bob.sound.played.contains(QStringLiteral("async:mail.snd")));

    const QByteArray fromCarl = channel::lineBlock(QStringLiteral("anna> from carl"));
    ASSERT_EQ(runToEnd(carl.client->peerSender().records().sendBlock(QStringLiteral("127.0.0.3"),
                                                                     net.privateChatPort(), fromCarl)),
              SendOutcome::Sent);
    const QString text = QStringLiteral("the quick brown fox jumps over the lazy dog ").repeated(3).left(100);
    anna.privateChat.last().say(text);
    const QStringList rows = channel::channelRows(QStringLiteral("anna> ") + text);
    ASSERT_EQ(rows.size(), 2);
    ASSERT_TRUE(waitFor([&] { return bob.privateChat.last().rows.size() >= 2; }));
    QTest::qWait(100);
    EXPECT_EQ(bob.privateChat.last().rows, rows);
    EXPECT_EQ(anna.privateChat.log, QStringList({QStringLiteral("window|bob <--> anna"),
                                                 row(QStringLiteral("Please Wait For Contact To Join ...")),
                                                 Joined, row(rows[0]), row(rows[1])}));
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
        const QString left =
            closer.client->logon().ownHandle + QStringLiteral(">  <-- Has Left The Channel -->");
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
    ASSERT_TRUE(ask(carl, QStringLiteral("anna")));
    ASSERT_TRUE(waitFor([&] { return !carl.privateChat.last().open; }));
    EXPECT_EQ(messages(carl), QStringList(QStringLiteral(
                                  "message|anna Does Not Want To Join|Private Chat, Maybe Later ...")));
    EXPECT_EQ(anna.privateChat.log, QStringList(QStringLiteral("request|carl")));

    ASSERT_TRUE(talking());
    ASSERT_TRUE(ask(carl, QStringLiteral("bob")));
    ASSERT_TRUE(waitFor([&] { return !carl.privateChat.last().open; }));
    EXPECT_EQ(messages(carl).last(),
              QStringLiteral("message|bob Is Busy In Another Chat Session|Try Again Later"));
    EXPECT_EQ(bob.privateChat.log.size(), 2) << "bob is not asked";
    EXPECT_TRUE(ask(anna, QStringLiteral("carl"))) << "a second request does nothing";
    QTest::qWait(300);
    EXPECT_FALSE(session(anna).peerClosed || session(bob).peerClosed || session(carl).inPrivateChat);
    EXPECT_EQ(messages(carl).size(), 2) << "no closing line to a listener that is not there";
    EXPECT_TRUE(carl.privateChat.log.filter(QStringLiteral("request|")).isEmpty());
    EXPECT_TRUE(bob.privateChat.last().open && anna.privateChat.windows.size() == 1);
}

} // namespace
