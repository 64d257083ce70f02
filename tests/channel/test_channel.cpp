// Three real clients on loopback: a hosted channel, joining and leaving, and the decisions
// about strangers and members who cannot be reached.
#include "PeerNetwork.h"
#include "QtPrinters.h"
#include "RunTask.h"

#include "channel/ChannelLine.h"
#include "mainwindow/CommandHandlers.h"
#include "peer/PeerSender.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {

QString joinedRow(const char *handle)
{
    return QString::fromLatin1(handle) + QStringLiteral(">  <-- Has Joined The Channel --> ");
}

QString leftRow(const char *handle)
{
    return QString::fromLatin1(handle) + QStringLiteral(">  <-- Has Left The Channel -->");
}

// anna hosts; bob and carl join; dave is everybody's contact and hosts nothing.
struct Channel : ::testing::Test {
    PeerNetwork net;
    TestClient &anna = net.add(QStringLiteral("anna"), QStringLiteral("127.0.0.2"));
    TestClient &bob = net.add(QStringLiteral("bob"), QStringLiteral("127.0.0.3"));
    TestClient &carl = net.add(QStringLiteral("carl"), QStringLiteral("127.0.0.4"));
    TestClient &dave = net.add(QStringLiteral("dave"), QStringLiteral("127.0.0.5"));

    void SetUp() override
    {
        const QStringList all{QStringLiteral("anna"), QStringLiteral("bob"), QStringLiteral("carl"),
                              QStringLiteral("dave")};
        for (TestClient *c : {&anna, &bob, &carl, &dave}) {
            QStringList others = all;
            others.removeOne(c->client->logon().ownHandle);
            net.befriend(*c, others);
            ASSERT_TRUE(PeerNetwork::startListening(*c));
        }
    }

    static void host(TestClient &c)
    {
        c.client->mainWindow().handlers().detached(Command::HostChannel)();
        ASSERT_TRUE(waitFor([&c] { return c.channel.last() && c.channel.last()->open; }));
    }
    static void requestJoin(TestClient &member, const QString &host)
    {
        ContactTable &table = member.client->contacts();
        member.client->selection().clickedItem = table.contact(*table.FindContactByHandle(host)).listIndex;
        runToEnd(member.client->channels().join().RequestJoin());
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
    join(bob, QStringLiteral("anna"));
    ASSERT_TRUE(shows(anna, joinedRow("bob")));
    join(carl, QStringLiteral("anna"));
    ASSERT_TRUE(shows(anna, joinedRow("carl")));
    ASSERT_TRUE(shows(bob, joinedRow("carl")));
    EXPECT_EQ(window(bob)->label, QStringLiteral("anna"));
    EXPECT_EQ(window(anna)->label, QStringLiteral("anna"));

    // Each waits for the last line to arrive, so the rows come in one order everywhere.
    say(anna, QStringLiteral("hi all"));
    ASSERT_TRUE(shows(bob, QStringLiteral("anna> hi all")) && shows(carl, QStringLiteral("anna> hi all")));
    for (int i = 1; i <= 5; ++i)
        say(bob, QString::number(i));
    ASSERT_TRUE(shows(carl, QStringLiteral("bob> 5")));
    say(carl, QString());
    ASSERT_TRUE(shows(bob, QStringLiteral("carl> ")));
    ASSERT_TRUE(shows(anna, QStringLiteral("carl> ")));
    const QStringList fromBob{QStringLiteral("bob> 1"), QStringLiteral("bob> 2"), QStringLiteral("bob> 3"),
                              QStringLiteral("bob> 4"), QStringLiteral("bob> 5")};
    EXPECT_EQ(window(anna)->rows,
              QStringList({joinedRow("bob"), joinedRow("carl"), QStringLiteral("anna> hi all")}) + fromBob +
                  QStringList{QStringLiteral("carl> ")});
    EXPECT_EQ(window(carl)->rows,
              QStringList{QStringLiteral("anna> hi all")} + fromBob + QStringList{QStringLiteral("carl> ")});
    EXPECT_EQ(window(bob)->rows, (QStringList{joinedRow("carl"), QStringLiteral("anna> hi all")} + fromBob +
                                  QStringList{QStringLiteral("carl> ")}));

    // bob leaves: the others hear it, and anna stops sending to him.
    window(bob)->pressClose();
    ASSERT_TRUE(shows(carl, leftRow("bob")));
    EXPECT_TRUE(window(anna)->rows.contains(leftRow("bob")));
    EXPECT_FALSE(marked(anna, QStringLiteral("bob")));
    say(anna, QStringLiteral("still here"));
    ASSERT_TRUE(shows(carl, QStringLiteral("anna> still here")));

    // The host closes; carl stays in his window and hears the next channel without joining.
    window(anna)->pressClose();
    ASSERT_TRUE(shows(carl, channel::SessionClosed));
    host(anna);
    say(anna, QStringLiteral("again"));
    ASSERT_TRUE(shows(carl, QStringLiteral("anna> again")));
    window(carl)->pressClose();
    ASSERT_TRUE(shows(anna, leftRow("carl")));
    EXPECT_FALSE(marked(anna, QStringLiteral("carl")));
    EXPECT_EQ(anna.channel.windows.size(), 2);
    EXPECT_EQ(bob.channel.windows.first()->rows.filter(QStringLiteral("again")), QStringList());
    for (TestClient *c : {&anna, &bob, &carl})
        EXPECT_EQ(c->ui.log, QStringList()) << c->client->logon().ownHandle.toStdString();
}

TEST_F(Channel, JoinAnswersAndFailures)
{
    // Hosting twice, joining while hosting.
    anna.client->mainWindow().handlers().detached(Command::HostChannel)();
    ASSERT_TRUE(waitFor([&] { return window(anna) != nullptr; }));
    host(anna);
    EXPECT_EQ(anna.channel.windows.size(), 1);
    requestJoin(anna, QStringLiteral("bob"));
    requestJoin(carl, QStringLiteral("dave"));
    ASSERT_TRUE(waitFor([&] { return !carl.ui.log.isEmpty(); }));
    carl.client->contacts().setAddress(*carl.client->contacts().FindContactByHandle(QStringLiteral("bob")),
                                       QStringLiteral("0"));
    requestJoin(carl, QStringLiteral("bob"));
    EXPECT_EQ(anna.ui.log, QStringList{QStringLiteral("message|You Are Already In A Channel|")});
    EXPECT_EQ(carl.ui.log, (QStringList{QStringLiteral("message|Contact Is Not Hosting A Chat Channel|"),
                                        QStringLiteral("message|Error Connecting - Error Code 1007|")}));
    EXPECT_TRUE(carl.channel.windows.isEmpty());
}

TEST_F(Channel, OneWindowPerClientAndTheSecondHostHearsItLeave)
{
    host(anna);
    host(carl);
    join(bob, QStringLiteral("anna"));
    // carl accepts a request bob sent before anna's answer came.
    const ContactTable &table = carl.client->contacts();
    const int bobAtCarl = *table.FindContactByHandle(QStringLiteral("bob"));
    Origin asker{QStringLiteral("bob"), QStringLiteral("bob"), table.contact(bobAtCarl).address, bobAtCarl};
    runToEnd(carl.client->channels().join().AnswerJoin(asker));
    ASSERT_TRUE(shows(carl, leftRow("bob")));
    EXPECT_FALSE(marked(carl, QStringLiteral("bob")));
    // A repeated answer from his own host leaves bob where he is.
    HandledCounter bobHandled(bob);
    const ContactTable &annaTable = anna.client->contacts();
    const int bobAtAnna = *annaTable.FindContactByHandle(QStringLiteral("bob"));
    runToEnd(anna.client->channels().join().AnswerJoin(
        {QStringLiteral("bob"), QStringLiteral("bob"), annaTable.contact(bobAtAnna).address, bobAtAnna}));
    ASSERT_TRUE(waitFor([&] { return bobHandled.count == 1; }));
    EXPECT_TRUE(marked(anna, QStringLiteral("bob")));
    EXPECT_EQ(bob.channel.windows.size(), 1);
    say(carl, QStringLiteral("not for bob"));
    say(anna, QStringLiteral("for bob"));
    ASSERT_TRUE(shows(bob, QStringLiteral("anna> for bob")));
    EXPECT_FALSE(window(bob)->rows.contains(QStringLiteral("carl> not for bob")));
}

TEST_F(Channel, StrangersAreNotHeardAndLostMembersCostOneMessage)
{
    host(anna);
    join(bob, QStringLiteral("anna"));
    ASSERT_TRUE(shows(anna, joinedRow("bob")));
    int annaHandled = 0;
    int bobHandled = 0;
    QObject::connect(&anna.client->channels().listener(), &LineListener::lineHandled, [&] { ++annaHandled; });
    QObject::connect(&bob.client->channels().listener(), &LineListener::lineHandled, [&] { ++bobHandled; });
    RecordSender &daveSends = dave.client->peerSender().records();
    const QByteArray forged = channel::lineBlock(QStringLiteral("bob> forged"));
    EXPECT_EQ(runToEnd(daveSends.sendBlock(QStringLiteral("127.0.0.2"), net.channelPort(), forged)),
              SendOutcome::Sent);
    EXPECT_EQ(runToEnd(daveSends.sendBlock(QStringLiteral("127.0.0.3"), net.channelPort(), forged)),
              SendOutcome::Sent);
    ASSERT_TRUE(waitFor([&] { return annaHandled == 1 && bobHandled == 1; }));
    EXPECT_EQ(window(anna)->rows, QStringList{joinedRow("bob")});
    EXPECT_TRUE(window(bob)->rows.isEmpty());

    // carl was a member, and his client has gone: one message, then he is unmarked.
    ContactTable &table = anna.client->contacts();
    const int carlIndex = *table.FindContactByHandle(QStringLiteral("carl"));
    table.setAddress(carlIndex, QStringLiteral("127.0.0.9"));
    table.setInChannel(carlIndex);
    say(anna, QStringLiteral("one"));
    say(anna, QStringLiteral("two"));
    ASSERT_TRUE(shows(bob, QStringLiteral("anna> two")));
    EXPECT_EQ(anna.ui.log, QStringList{QStringLiteral("message|Host Closed Channel|")});
    EXPECT_FALSE(marked(anna, QStringLiteral("carl")));
}

} // namespace
