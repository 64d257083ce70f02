// A client is destroyed while its tasks wait in every way a task can wait. The event loop then
// runs on and the outside world answers each wait: nothing may reach the client that has gone
// (the sanitizer build checks that no freed memory is touched and no task frame is leaked).
#include "PeerNetwork.h"
#include "RawPeer.h"

#include "peer/PeerRecord.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace quibo;
using namespace quibo::test;
using namespace std::chrono_literals;

namespace {

const QString OwnAddress = loopback(3);

// bob's client, logged on in the eyes of its tasks, with a directory server that takes
// requests and never answers them.
struct Teardown {
    Teardown()
    {
        directory.listen(QHostAddress::LocalHost, 0);
        Config config;
        config.setDirectory(QStringLiteral("127.0.0.1:%1").arg(directory.serverPort()));
        config.ownAddressOverride = OwnAddress;
        Timings timings = peerTimings();
        timings.httpTimeout = 60s;
        timings.peerReadWindow = 60s;
        bob = &net.add(QStringLiteral("bob"), OwnAddress, timings, config);
    }

    bool listen() { return PeerNetwork::startListening(*bob); }
    // Opens a connection to bob's listener and writes `bytes` on it.
    bool send(const QByteArray &bytes)
    {
        return peer.emplace(OwnAddress, bob->client->config().peerPort).write(bytes);
    }
    static QByteArray record(const QString &body)
    {
        return peer::buildRecord(QStringLiteral("bob"), body, peer::MessageBlock);
    }
    void openMainWindow() { bob->client->mainWindowTask().open(); }

    QTcpServer directory;
    PeerNetwork net;
    TestClient *bob = nullptr;
    std::optional<RawConnection> peer;
};

// Makes one kind of wait outstanding; returns how the outside world answers it later.
using Answer = std::function<void()>;
struct Outstanding {
    const char *name;
    std::function<Answer(Teardown &)> setUp;
};

const Outstanding Cases[] = {
    {"a received message held open",
     [](Teardown &t) -> Answer {
         t.bob->messages.receivedScript = {ScriptedMessages::Step::Hold};
         EXPECT_TRUE(t.listen() && t.send(Teardown::record(QStringLiteral("hello"))));
         EXPECT_TRUE(waitFor([&t] { return t.bob->messages.openCount() == 1; }));
         return [&t] { t.bob->messages.lastOf(QStringLiteral("received"))->press(MessageUi::OkButton); };
     }},
    {"the send dialog held open",
     [](Teardown &t) -> Answer {
         t.openMainWindow();
         t.bob->mainWindow.choose(Command::SendMessage);
         EXPECT_TRUE(waitFor([&t] { return t.bob->messages.openCount() == 1; }));
         return [&t] {
             const auto dialog = t.bob->messages.lastOf(QStringLiteral("send"));
             dialog->type(QStringLiteral("too late"));
             dialog->press(MessageUi::SendButton);
         };
     }},
    {"a clip playing",
     [](Teardown &t) -> Answer {
         t.bob->sound.holdClips(true);
         EXPECT_TRUE(t.listen() && t.send(Teardown::record(QStringLiteral("|400"))));
         EXPECT_TRUE(waitFor([&t] { return t.bob->sound.played.contains(QStringLiteral("sync:lol.snd")); }));
         return [&t] { t.bob->sound.finishClips(); };
     }},
    {"the listener reading half a record",
     [](Teardown &t) -> Answer {
         EXPECT_TRUE(t.listen() && t.send(Teardown::record(QStringLiteral("hello")).left(100)));
         EXPECT_TRUE(waitFor([&t] { return t.bob->client->listener().reading() == 1; }));
         return [&t] {
             t.peer->write(QByteArray(422, '\0'));
             t.peer->close();
         };
     }},
    {"a directory request in flight",
     [](Teardown &t) -> Answer {
         QFile settings(t.bob->dir.filePath(QStringLiteral("settings")));
         EXPECT_TRUE(settings.open(QIODevice::WriteOnly) && settings.write("bob\r\n") == 5);
         settings.close();
         t.bob->client->start();
         t.bob->client->connectNow(); // the logon's first request
         EXPECT_TRUE(waitFor([&t] { return t.directory.hasPendingConnections(); }));
         QTcpSocket *request = t.directory.nextPendingConnection();
         EXPECT_TRUE(waitFor([request] { return request->bytesAvailable() > 0; }));
         return [request] {
             request->write("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello");
             request->disconnectFromHost();
         };
     }},
    {"a sleep between the frames of a popup",
     [](Teardown &t) -> Answer {
         t.openMainWindow();
         t.bob->mainWindow.choose(Command{32791}); // Smile
         EXPECT_TRUE(waitFor([&t] { return !t.bob->ui.popups.isEmpty(); }));
         return [&t] { t.bob->ui.popups.last()->pressOk(); };
     }},
    {"a message box held open by the user",
     [](Teardown &t) -> Answer {
         t.bob->ui.holdDialogs(true);
         t.openMainWindow();
         t.bob->mainWindow.choose(Command::About);
         EXPECT_TRUE(waitFor([&t] { return t.bob->ui.log.contains(QStringLiteral("about|main")); }));
         return [&t] { t.bob->ui.releaseDialogs(); };
     }},
};

} // namespace

TEST(Teardown, NoWaitReachesAClientThatHasGone)
{
    for (const Outstanding &c : Cases) {
        SCOPED_TRACE(c.name);
        Teardown t;
        const Answer answer = c.setUp(t);
        const QStringList seen = t.bob->ui.log + t.bob->messages.log + t.bob->sound.played;

        t.bob->client.reset();
        ASSERT_TRUE(settle());
        answer();
        ASSERT_TRUE(settle() && settle()); // a resumption, and what it would have queued
        EXPECT_EQ(t.bob->ui.log + t.bob->messages.log + t.bob->sound.played, seen);
        EXPECT_TRUE(t.bob->sound.finished.isEmpty());
    }
}
