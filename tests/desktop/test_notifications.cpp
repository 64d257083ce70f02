// Desktop notifications over a session bus of the test's own, and two real clients: what they
// keep in their histories across a restart, and what they notify.
#include "PeerNetwork.h"
#include "QuibowebProcess.h"
#include "TestClient.h"
#include "TestFiles.h"

#include "mainwindow/Commands.h"
#include "peer/PeerRecord.h"
#include "peer/Presence.h"
#include "platform/FreedesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <map>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;
using Step = ScriptedMessages::Step;

namespace {

const QString Path = u"/org/freedesktop/Notifications"_s;
const QString Interface = u"org.freedesktop.Notifications"_s;

// A session bus of the test's own: dbus-daemon with no services to start on demand.
class SessionBus {
public:
    SessionBus()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_DATA_DIRS"_s, m_empty.path());
        environment.insert(u"XDG_DATA_HOME"_s, m_empty.path());
        m_daemon.setProcessEnvironment(environment);
        m_daemon.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
        if (m_daemon.waitForReadyRead(10000))
            m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    }
    ~SessionBus()
    {
        for (const QString &name : std::as_const(m_names))
            QDBusConnection::disconnectFromBus(name);
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    QDBusConnection connect(const QString &name)
    {
        m_names.append(name);
        return QDBusConnection::connectToBus(m_address, name);
    }

private:
    QTemporaryDir m_empty;
    QProcess m_daemon;
    QString m_address;
    QStringList m_names;
};

// A desktop's notification service that records what it is asked.
class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString app;
        QString summary;
        QString body;
        QStringList actions;
    };

    explicit NotificationService(QDBusConnection bus) : m_bus(std::move(bus))
    {
        m_bus.registerObject(Path, this, QDBusConnection::ExportAllSlots);
        m_bus.registerService(Interface);
    }

    // The server's signals, as when the user clicks or the notification goes.
    void emitSignal(const QString &name, const QVariantList &arguments)
    {
        QDBusMessage signal = QDBusMessage::createSignal(Path, Interface, name);
        signal.setArguments(arguments);
        m_bus.send(signal);
    }

    QList<Call> calls;

public Q_SLOTS:
    uint Notify(const QString &app, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &actions, const QVariantMap &, int)
    {
        calls.append({app, summary, body, actions});
        return 40 + uint(calls.size());
    }
    QStringList GetCapabilities() { return {u"actions"_s, u"body"_s}; }

private:
    QDBusConnection m_bus;
};

// Collects the warnings about notifications while it lives.
class NotificationWarnings {
public:
    NotificationWarnings() { m_previous = qInstallMessageHandler(&collect); }
    ~NotificationWarnings() { qInstallMessageHandler(m_previous); }
    static inline QStringList lines;

private:
    static void collect(QtMsgType, const QMessageLogContext &, const QString &message)
    {
        if (message.contains(u"desktop notifications"_s))
            lines.append(message);
    }
    QtMessageHandler m_previous = nullptr;
};

TEST(Notifications, NotifyNamesTheContactAndAClickComesBackById)
{
    SessionBus bus;
    NotificationService service(bus.connect(u"service"_s));
    FreedesktopNotifier notifier(bus.connect(u"client"_s));
    QSignalSpy activated(&notifier, &DesktopNotifier::activated);

    const QString text = u"<b>hi</b> & "_s + QString(200, u'x');
    const quint32 first = notifier.notify(u"bob"_s, text);
    const quint32 second = notifier.notify(u"carol"_s, u"short"_s);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.calls.size() == 2; }, 10000));
    const NotificationService::Call &call = service.calls[0];
    EXPECT_EQ(call.app, u"Quibo32"_s);
    EXPECT_EQ(call.summary, u"bob"_s);
    EXPECT_EQ(call.body, (text.left(FreedesktopNotifier::BodyCharacters) + QChar(0x2026)).toHtmlEscaped());
    EXPECT_TRUE(call.actions.contains(u"default"_s));
    EXPECT_EQ(service.calls[1].body, u"short"_s);

    // The service's ids are 41 and 42: only the default action of a shown one counts.
    service.emitSignal(u"ActionInvoked"_s, {uint(42), u"other"_s});
    service.emitSignal(u"NotificationClosed"_s, {uint(42), uint(2)});
    service.emitSignal(u"ActionInvoked"_s, {uint(42), u"default"_s});
    service.emitSignal(u"ActionInvoked"_s, {uint(41), u"default"_s});
    ASSERT_TRUE(activated.wait(10000));
    EXPECT_EQ(activated.takeFirst().at(0).toUInt(), first);
    EXPECT_TRUE(activated.isEmpty());
}

TEST(Notifications, WithoutAServiceOrABusNothingShowsAndTheLogSaysSoOnce)
{
    NotificationWarnings warnings;
    NotificationWarnings::lines.clear();
    {
        SessionBus bus;
        QDBusConnection client = bus.connect(u"client"_s);
        FreedesktopNotifier notifier(client);
        notifier.notify(u"bob"_s, u"one"_s);
        notifier.notify(u"bob"_s, u"two"_s);
        ASSERT_TRUE(QTest::qWaitFor([] { return !NotificationWarnings::lines.isEmpty(); }, 10000));
        // A round trip of its own: the answers to both notifications have come by then.
        client.interface()->isServiceRegistered(Interface);
        QCoreApplication::processEvents();
        EXPECT_EQ(NotificationWarnings::lines.size(), 1)
            << NotificationWarnings::lines.join(u'\n').toStdString();
    }
    NotificationWarnings::lines.clear();
    FreedesktopNotifier offline(QDBusConnection::connectToBus(u"unix:path=/nonexistent/bus"_s, u"offline"_s));
    EXPECT_EQ(offline.notify(u"bob"_s, u"three"_s), 0u);
    EXPECT_EQ(NotificationWarnings::lines.size(), 1);
    QDBusConnection::disconnectFromBus(u"offline"_s);
}

// anna (loopback(2)) and bob (loopback(3)), each the other's contact; bob's notifications go to a
// service on a session bus of the test's own.
struct TwoClients : ::testing::Test {
    SessionBus bus;
    NotificationService service{bus.connect(u"service"_s)};
    FreedesktopNotifier notifier{bus.connect(u"client"_s)};
    PeerNetwork net;
    TestClient &anna = net.add(u"anna"_s, loopback(2));
    TestClient &bob = net.add(u"bob"_s, loopback(3), peerTimings(), {}, &notifier);
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
    ASSERT_TRUE(chooseFromMenu(bob, u"anna"_s, Command::JoinChannel));
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

    // A file, received whole, from anna's quiboweb.
    ASSERT_TRUE(QDir(anna.dir.path()).mkpath(u"html/tmp"_s));
    annaWeb.emplace(QStringList{u"--headless"_s, u"--root"_s, anna.dir.filePath(u"html"_s), u"--listen"_s,
                                u"%1:%2"_s.arg(loopback(2)).arg(net.webPort())});
    ASSERT_TRUE(annaWeb->waitForOutput("Serving")) << annaWeb->errorOutput().toStdString();
    ASSERT_TRUE(writeFile(outbox.filePath(u"elder.txt"_s), "elderberries"));
    anna.transfer.filesToSend.append(outbox.filePath(u"elder.txt"_s));
    bob.transfer.saveFolder = inbox.path();
    bob.transfer.receiveAnswers = bob.transfer.saveAnswers = {true};
    ASSERT_TRUE(runToEnd(anna.client->fileOffers().SendFile()));
    const auto settled = [](TestClient &c) {
        return history(c).last().entry.outcome == FileOutcome::Received;
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

// What else asks for the user notifies too, naming the contact: a file offer, an invitation
// to a private chat, a request to add from a stranger.
TEST_F(TwoClients, RequestsInvitationsAndOffersNotifyWhileTheMainWindowIsInactive)
{
    TestClient &carol = net.add(u"carol"_s, loopback(4));
    ASSERT_TRUE(writeFile(outbox.filePath(u"fig.txt"_s), "figs"));
    ASSERT_TRUE(QDir(anna.dir.path()).mkpath(u"html/tmp"_s));
    bob.mainWindow.active = false;
    bob.privateChat.answers = {true};
    bob.transfer.receiveAnswers = {false};
    const struct {
        std::function<QCoro::Task<>()> arrive;
        QString summary, body;
    } cases[] = {
        {[&] {
             anna.transfer.filesToSend.append(outbox.filePath(u"fig.txt"_s));
             return anna.client->fileOffers().SendFile();
         },
         u"anna"_s, u"offers you the file fig.txt"_s},
        {[&] { return anna.client->privateChat().PrivateChat(); }, u"anna"_s, u"asks you to a private chat"_s},
        // Last: bob's listener waits on the question it asks.
        {[&]() -> QCoro::Task<> {
             co_await carol.client->peerSender().records().sendRecord(
                 loopback(3), peer::buildRecord(u"carol"_s, presence::Online, loopback(4)));
         },
         u"carol"_s, u"asks to add you to their contacts"_s},
    };
    for (const auto &c : cases) {
        const qsizetype before = service.calls.size();
        ASSERT_TRUE(runToEnd(c.arrive())) << c.body.toStdString();
        ASSERT_TRUE(waitFor([&] { return service.calls.size() == before + 1; })) << c.body.toStdString();
        EXPECT_EQ(service.calls.last().summary, c.summary);
        EXPECT_EQ(service.calls.last().body, c.body);
    }
}

} // namespace

#include "test_notifications.moc"
