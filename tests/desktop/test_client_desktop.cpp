// Two real clients and what they keep and tell: the history of everything they exchanged,
// across a restart, and a desktop notification over a real session bus.
#include "PeerNetwork.h"
#include "QuibowebProcess.h"
#include "SessionBus.h"
#include "TestClient.h"
#include "TestFiles.h"

#include "mainwindow/Commands.h"
#include "platform/FreedesktopNotifier.h"

#include <QTest>

#include <map>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;
using Step = ScriptedMessages::Step;

namespace {

// anna (127.0.0.2) and bob (127.0.0.3), each the other's contact; bob's notifications go to a
// service on a session bus of the test's own.
struct TwoClients : ::testing::Test {
    SessionBus bus;
    NotificationService service{bus.connect(u"service"_s)};
    FreedesktopNotifier notifier{bus.connect(u"client"_s)};
    PeerNetwork net;
    TestClient &anna = net.add(u"anna"_s, u"127.0.0.2"_s);
    TestClient &bob = net.add(u"bob"_s, u"127.0.0.3"_s, peerTimings(), {}, &notifier);
    std::optional<QuibowebProcess> annaWeb;
    QTemporaryDir outbox, inbox;

    void SetUp() override
    {
        net.befriend(anna, {u"bob"_s});
        net.befriend(bob, {u"anna"_s});
        ASSERT_TRUE(PeerNetwork::startListening(anna) && PeerNetwork::startListening(bob));
        selectContact(anna, u"bob"_s);
    }

    static QList<StoredEntry> history(TestClient &c) { return c.client->history().store().page({}, 0, 1000); }
    // "out|ChannelLine|bob> cherry" for each entry whose text holds one of `words`.
    static QStringList journal(TestClient &c, const QStringList &words)
    {
        static const char *const kinds[] = {"Message",     "Smiley",          "Sound",
                                            "ChannelLine", "PrivateChatLine", "File"};
        QStringList lines;
        for (const StoredEntry &stored : history(c)) {
            const HistoryEntry &e = stored.entry;
            if (std::none_of(words.begin(), words.end(),
                             [&e](const QString &w) { return e.text.contains(w); }))
                continue;
            lines.append(
                u"%1|%2|%3|%4%5"_s.arg(e.direction == Direction::Out ? u"out"_s : u"in"_s,
                                       QString::fromLatin1(kinds[int(e.kind)]), e.party.handle, e.text,
                                       e.kind == EntryKind::File ? u"|%1"_s.arg(int(e.outcome)) : QString()));
        }
        return lines;
    }
};

TEST_F(TwoClients, EachHistoryKeepsEverythingInOrderAcrossARestartAndFindsEachWord)
{
    // A message and its reply.
    anna.messages.sendScript = {{Step::Send, u"hello apple"_s}};
    bob.messages.receivedScript = {Step::Reply};
    bob.messages.sendScript = {{Step::Send, u"hi banana"_s}};
    ASSERT_TRUE(runToEnd(anna.client->messaging().sendMessageToSelected()));
    ASSERT_TRUE(waitFor([&] { return anna.messages.log.contains(u"received|bob|hi banana"_s); }));

    // A channel line: anna hosts, bob joins and talks.
    anna.client->mainWindowTask().handlers().detached(Command::HostChannel)();
    ASSERT_TRUE(waitFor([&] { return anna.channel.last() && anna.channel.last()->open; }));
    bob.client->selection().clickedItem = 0;
    ASSERT_TRUE(runToEnd(bob.client->channels().join().RequestJoin()));
    ASSERT_TRUE(waitFor([&] { return bob.channel.last() != nullptr; }));
    bob.channel.last()->say(u"cherry"_s);
    ASSERT_TRUE(waitFor([&] { return anna.channel.last()->rows.contains(u"bob> cherry"_s); }));

    // A private chat line.
    bob.privateChat.answers = {true};
    ASSERT_TRUE(runToEnd(anna.client->privateChat().PrivateChat()));
    ASSERT_TRUE(waitFor(
        [&] { return anna.privateChat.log.contains(u"row|bob>  <-- Has Joined The Channel --> "_s); }));
    anna.privateChat.last().say(u"damson"_s);
    ASSERT_TRUE(waitFor([&] { return bob.privateChat.last().rows.contains(u"anna> damson"_s); }));

    // A file, received whole.
    ASSERT_TRUE(QDir(anna.dir.path()).mkpath(u"html/tmp"_s));
    annaWeb.emplace(QStringList{u"--headless"_s, u"--root"_s, anna.dir.filePath(u"html"_s), u"--listen"_s,
                                u"127.0.0.2:%1"_s.arg(net.webPort())});
    ASSERT_TRUE(annaWeb->waitForOutput("Serving")) << annaWeb->errorOutput().toStdString();
    ASSERT_TRUE(writeFile(outbox.filePath(u"elder.txt"_s), "elderberries"));
    anna.transfer.filesToSend.append(outbox.filePath(u"elder.txt"_s));
    bob.transfer.saveFolder = inbox.path();
    bob.transfer.receiveAnswers = {true};
    bob.transfer.saveAnswers = {true};
    ASSERT_TRUE(runToEnd(anna.client->fileOffers().SendFile()));
    const auto settled = [](TestClient &c) {
        const QList<StoredEntry> entries = history(c);
        return !entries.isEmpty() && entries.last().entry.outcome == FileOutcome::Received;
    };
    ASSERT_TRUE(waitFor([&] { return settled(anna) && settled(bob); }));

    // Restarted, each index catches up with the entries on its own thread and says so.
    std::map<HistoryStore *, qint64> indexedUpTo;
    for (TestClient *c : {&anna, &bob}) {
        const Config config = c->client->config();
        const Timings timings = c->client->timings();
        c->client.reset();
        c->client =
            std::make_unique<Client>(config, timings, WorkingDirectory(QDir(c->dir.path())), c->ports());
        HistoryStore *store = &c->client->history().store();
        QObject::connect(store, &HistoryStore::indexed,
                         [&indexedUpTo, store](qint64 last) { indexedUpTo[store] = last; });
    }
    const QStringList words{u"apple"_s, u"banana"_s, u"cherry"_s, u"damson"_s, u"elder"_s};
    const QString received = QString::number(int(FileOutcome::Received));
    EXPECT_EQ(journal(anna, words),
              (QStringList{u"out|Message|bob|hello apple"_s, u"in|Message|bob|hi banana"_s,
                           u"in|ChannelLine|anna|bob> cherry"_s, u"out|PrivateChatLine|bob|anna> damson"_s,
                           u"out|File|bob|elder.txt|"_s + received}));
    EXPECT_EQ(journal(bob, words),
              (QStringList{u"in|Message|anna|hello apple"_s, u"out|Message|anna|hi banana"_s,
                           u"out|ChannelLine|anna|bob> cherry"_s, u"in|PrivateChatLine|anna|anna> damson"_s,
                           u"in|File|anna|elder.txt|"_s + received}));

    for (TestClient *c : {&anna, &bob}) {
        HistoryStore &store = c->client->history().store();
        ASSERT_TRUE(QTest::qWaitFor([&] { return indexedUpTo[&store] >= store.lastId(); }, 20000));
        for (const QString &word : words)
            EXPECT_EQ(store.search(word).size(), 1) << word.toStdString();
    }
}

// The notification names the sender and shows the text; a click raises the message's window,
// or the main window once that has closed. Nothing is shown while the user is in the main window.
TEST_F(TwoClients, AMessageNotifiesOnlyWhileTheMainWindowIsInactive)
{
    bob.messages.receivedScript = {Step::Ok, Step::Hold};
    for (const bool active : {true, false}) {
        bob.mainWindow.active = active;
        anna.messages.sendScript = {{Step::Send, active ? u"seen here"_s : u"while away"_s}};
        ASSERT_TRUE(runToEnd(anna.client->messaging().sendMessageToSelected()));
        ASSERT_TRUE(waitFor([&, n = active ? 1 : 2] { return bob.messages.dialogs.size() == n; }));
    }
    ASSERT_TRUE(waitFor([&] { return service.calls.size() == 1; }));
    EXPECT_EQ(service.calls[0].summary, u"anna"_s);
    EXPECT_EQ(service.calls[0].body, u"while away"_s);
    EXPECT_EQ(bob.tray.toolTip, u"Quibo32\n1 unread message"_s);

    const auto held = bob.messages.last();
    service.emitSignal(u"ActionInvoked"_s, {uint(41), u"default"_s});
    ASSERT_TRUE(waitFor([&] { return held->forwardCount == 1; }));
    held->press(MessageUi::OkButton);
    ASSERT_TRUE(waitFor([&] { return bob.tray.toolTip == u"Quibo32"_s; }));
    EXPECT_EQ(bob.mainWindow.bringForwardCount, 0);
}

} // namespace
