// Secure clients speak TLS 1.3 to each other, each end pinned to the key the directory gave;
// classic contacts are spoken to and heard in clear, as before. The tests play the one on the
// path, the impostor at a contact's address and the forger of a handle.
#include "PeerNetwork.h"
#include "QuibowebProcess.h"
#include "RawPeer.h"
#include "TestFiles.h"

#include "channel/ChannelJoin.h"
#include "channel/PrivateChatWindow.h"
#include "directory/LocalWebServer.h"
#include "directory/WorkingFiles.h"
#include "keys/UserKey.h"
#include "mainwindow/CommandHandlers.h"
#include "messaging/Smileys.h"
#include "peer/Listener.h"
#include "peer/PeerRecord.h"

#include <QNetworkProxy>
#include <QSslServer>
#include <QSslSocket>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;
using Step = ScriptedMessages::Step;

namespace {

// alice and bob are secure and know each other's keys; carol is classic.
struct SecurePeers : ::testing::Test {
    PeerNetwork net;
    TestClient &alice = net.add(u"alice"_s, loopback(2));
    TestClient &bob = net.add(u"bob"_s, loopback(3));
    TestClient &carol = net.add(u"carol"_s, loopback(5));
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
        from.messages.sendScript = {{Step::Send, text}};
        ASSERT_TRUE(doubleClickContact(from, to));
    }
    // `from` offers `to` the file at `path`; `to` takes it into `folder`.
    static void offerFile(TestClient &from, TestClient &to, const QString &path, const QString &folder)
    {
        from.transfer.filesToSend = {path};
        to.transfer.receiveAnswers = {true};
        to.transfer.saveAnswers = {true};
        to.transfer.saveFolder = folder;
        selectContact(from, to.client->logon().ownHandle);
        ASSERT_TRUE(choose(from, Command::SendFile));
    }
    // Points `client`'s record of `contact` at another address, as a changed look-up would.
    static void moveContact(TestClient &client, const QString &contact, const QString &address)
    {
        ClientSetup::movedTo(*client.client, contact, address);
    }
};

} // namespace

// Everything alice sends bob, and the file she fetches from him, goes through a proxy that keeps
// what it carried.
TEST_F(SecurePeers, OnThePathNoTextIsInClear)
{
    RecordingProxy path(loopback(4), {net.port(), net.channelPort(), net.privateChatPort(), net.webPort()},
                        loopback(3));
    ASSERT_TRUE(path.isListening());
    moveContact(alice, u"bob"_s, loopback(4));

    message(alice, u"bob"_s, u"meet me at noon"_s);
    ASSERT_TRUE(chooseFromMenu(alice, u"bob"_s, messaging::smileys().front().command)); // Smile, "|300"
    ASSERT_TRUE(waitFor([&] { return !bob.ui.popups.isEmpty(); }));
    bob.ui.popups.last()->pressOk();
    ASSERT_TRUE(waitFor([&] { return bobHandled->count == 2; }));
    EXPECT_EQ(bob.messages.log, QStringList{u"received|alice|meet me at noon"_s});
    EXPECT_EQ(bob.ui.log.filter(u"smiley"_s), QStringList{u"smiley|Smile|alice"_s});

    // alice hosts a channel that bob joins, and says a line in it.
    ASSERT_TRUE(choose(alice, Command::HostChannel));
    ASSERT_TRUE(waitFor([&] { return alice.channel.last() && alice.channel.last()->open; }));
    ASSERT_TRUE(chooseFromMenu(bob, u"alice"_s, Command::JoinChannel));
    ASSERT_TRUE(
        waitFor([&] { return bob.channel.last() != nullptr; })); // bob's own lines come not by the path
    alice.channel.last()->say(u"the channel's secret"_s);
    ASSERT_TRUE(waitFor([&] { return bob.channel.last()->rows.contains(u"alice> the channel's secret"_s); }));

    // alice asks bob to a private chat and says a line.
    bob.privateChat.answers = {true};
    selectContact(alice, u"bob"_s);
    ASSERT_TRUE(choose(alice, Command::PrivateChat));
    ASSERT_TRUE(waitFor([&] { return bob.privateChat.windows.size() == 1; }));
    alice.privateChat.last().say(u"a private secret"_s);
    ASSERT_TRUE(waitFor([&] { return bob.privateChat.last().rows.contains(u"alice> a private secret"_s); }));

    // bob offers alice a file, which she fetches from his quiboweb (holding his key).
    ASSERT_TRUE(QDir(bob.dir.path()).mkpath(u"html/tmp"_s));
    QuibowebProcess bobWeb({u"--headless"_s, u"--root"_s, bob.dir.filePath(u"html"_s), u"--listen"_s,
                            u"%1:%2"_s.arg(loopback(3)).arg(net.webPort())},
                           LocalWebServer::tlsIdentity(bob.workDir()));
    ASSERT_TRUE(bobWeb.waitForOutput("Serving"));
    QTemporaryDir inbox;
    ASSERT_TRUE(writeFile(bob.dir.filePath(u"plans.txt"_s), "the file's secret"));
    offerFile(bob, alice, bob.dir.filePath(u"plans.txt"_s), inbox.path());
    ASSERT_TRUE(waitFor([&] { return readFile(inbox.filePath(u"plans.txt"_s)) == "the file's secret"; }));

    ASSERT_FALSE(path.carried.isEmpty());
    for (const char *text :
         {"meet me at noon", "|300", "alice|", "the channel's secret", "a private secret", "the file's secret", "GET"})
        EXPECT_FALSE(path.carried.contains(text)) << text;
}

TEST_F(SecurePeers, AnotherKeyOrNoTlsAtASecureContactsAddressGetsNothing)
{
    TestClient &mallory = net.add(u"mallory"_s, loopback(6)); // a key of its own
    ASSERT_TRUE(PeerNetwork::startListening(mallory));
    HandledCounter malloryHandled(mallory);
    CaptureServer classic(loopback(7), net.port()); // no TLS at all
    ASSERT_TRUE(classic.isListening());

    moveContact(alice, u"bob"_s, loopback(6));
    message(alice, u"bob"_s, u"for bob only"_s);
    ASSERT_TRUE(waitFor([&] { return malloryHandled.count == 1; }));
    EXPECT_TRUE(mallory.messages.log.isEmpty());
    const QString refused = u"message|bob Did Not Show Its Key - Nothing Sent|Error Code 1060"_s;
    ASSERT_TRUE(waitFor([&] { return alice.ui.log.count(refused) == 1; }));

    moveContact(alice, u"bob"_s, loopback(7));
    message(alice, u"bob"_s, u"for bob only"_s);
    ASSERT_TRUE(classic.waitForRecords(1));
    EXPECT_FALSE(classic.records.constFirst().contains("for bob only"));
    ASSERT_TRUE(waitFor([&] { return alice.ui.log.count(refused) == 2; }));

    // bob fetches alice's file from mallory's web server, which shows mallory's key: it hears
    // no request, and bob is told.
    QSslServer malloryWeb;
    malloryWeb.setSslConfiguration(tlsPresenting(*mallory.userKey(), QSslSocket::VerifyNone));
    ASSERT_TRUE(malloryWeb.listen(QHostAddress(loopback(6)), net.webPort()));
    QByteArray heard;
    int handshakes = 0;
    QObject::connect(&malloryWeb, &QSslServer::startedEncryptionHandshake, [&](QSslSocket *socket) {
        ++handshakes;
        QObject::connect(socket, &QSslSocket::readyRead, [&heard, socket] { heard += socket->readAll(); });
    });
    moveContact(alice, u"bob"_s, loopback(3));
    moveContact(bob, u"alice"_s, loopback(6));
    QTemporaryDir outbox, inbox;
    ASSERT_TRUE(QDir(alice.dir.path()).mkpath(u"html/tmp"_s));
    ASSERT_TRUE(writeFile(outbox.filePath(u"plans.txt"_s), "for bob only"));
    offerFile(alice, bob, outbox.filePath(u"plans.txt"_s), inbox.path());
    ASSERT_TRUE(waitFor([&] {
        return bob.ui.log.contains(u"message|alice Did Not Show Its Key - File Not Received|Error Code 1060"_s);
    }));
    EXPECT_EQ(handshakes, 1);
    EXPECT_TRUE(heard.isEmpty()) << heard.toStdString();
    EXPECT_TRUE(QDir(inbox.path()).isEmpty());
}

// A secure contact's handle counts only with its key; classic carol is heard and spoken to in
// clear, by secure clients too.
TEST_F(SecurePeers, ARecordClaimingASecureContactCountsOnlyWithItsKey)
{
    ASSERT_TRUE(
        sendRaw(loopback(3), net.port(), peer::buildRecord(u"alice"_s, u"forged"_s, peer::MessageBlock)));
    TestClient &mallory = net.add(u"mallory"_s, loopback(6));
    net.befriend(mallory, {u"bob"_s});
    net.trustKeys(mallory, {u"bob"_s});
    ClientSetup::loggedOn(*mallory.client, u"alice"_s, loopback(6));
    message(mallory, u"bob"_s, u"forged over tls"_s);
    message(carol, u"bob"_s, u"hello"_s);
    ASSERT_TRUE(waitFor([&] { return bobHandled->count == 3; }));
    EXPECT_EQ(bob.messages.log, QStringList{u"received|carol|hello"_s});
    message(bob, u"carol"_s, u"hi carol"_s);
    ASSERT_TRUE(waitFor([&] { return carolHandled->count == 1; }));
    EXPECT_TRUE(carol.messages.log.contains(u"received|bob|hi carol"_s));
}

// Records between two secure clients share one kept connection, each judged as on its own: one
// claiming another contact's handle is dropped. A changed key closes it; after the other end
// closed it for idleness, the next record goes on a new one.
TEST_F(SecurePeers, RecordsShareAKeptConnectionEachJudgedByItsKey)
{
    Timings patient = peerTimings();
    patient.keptConnectionIdle = std::chrono::hours(1); // only bob closes for idleness
    TestClient &dave = net.add(u"dave"_s, loopback(7), patient);
    TestClient &mallory = net.add(u"mallory"_s, loopback(6), patient);
    for (TestClient *c : {&dave, &mallory}) {
        net.befriend(*c, {u"bob"_s});
        net.trustKeys(*c, {u"bob"_s});
    }
    net.befriend(bob, {u"LoopBack"_s, u"alice"_s, u"carol"_s, u"dave"_s, u"mallory"_s});
    net.trustKeys(bob, {u"alice"_s, u"dave"_s, u"mallory"_s});
    const Listener &bobPort = bob.client->listener();

    for (const QString &text : {u"one"_s, u"two"_s, u"three"_s})
        message(dave, u"bob"_s, text);
    message(mallory, u"bob"_s, u"mine"_s);
    ClientSetup::loggedOn(*mallory.client, u"alice"_s, loopback(6));
    message(mallory, u"bob"_s, u"forged on a kept connection"_s);
    ASSERT_TRUE(waitFor([&] { return bobHandled->count == 5; }));
    EXPECT_EQ(bob.messages.log, (QStringList{u"received|dave|one"_s, u"received|dave|two"_s,
                                             u"received|dave|three"_s, u"received|mallory|mine"_s}));
    EXPECT_EQ(bobPort.kept(), 2);

    ClientSetup::keyHeld(*dave.client, u"bob"_s);
    ASSERT_TRUE(waitFor([&] { return bobPort.kept() == 1; }));

    ASSERT_TRUE(waitFor([&] { return bobPort.kept() == 0; })); // mallory's, idle
    ClientSetup::loggedOn(*mallory.client, u"mallory"_s, loopback(6));
    message(mallory, u"bob"_s, u"after the close"_s);
    ASSERT_TRUE(waitFor([&] { return bobHandled->count == 6; }));
    EXPECT_EQ(bob.messages.log.constLast(), u"received|mallory|after the close"_s);

    // A frame longer than any record closes the connection unanswered, and none of it is handled.
    const WorkingDirectory malloryDir = mallory.workDir();
    QSslConfiguration tls = tlsPresenting(*loadOrMakeUserKey(malloryDir.file(working_files::UserKeyFile),
                                                             malloryDir.file(working_files::UserCertificateFile)),
                                          QSslSocket::VerifyNone);
    tls.setAllowedNextProtocols({peer::KeptRecordsProtocol});
    QSslSocket raw;
    raw.setProxy(QNetworkProxy::NoProxy);
    raw.setSslConfiguration(tls);
    raw.connectToHostEncrypted(loopback(3), net.port());
    ASSERT_TRUE(waitFor([&] { return raw.isEncrypted(); }));
    ASSERT_EQ(raw.sslConfiguration().nextNegotiatedProtocol(), peer::KeptRecordsProtocol);
    raw.write(peer::frameRecord(peer::buildRecord(u"mallory"_s, u"too long"_s, peer::LargestBlock + 1)));
    ASSERT_TRUE(waitFor([&] { return raw.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_TRUE(raw.readAll().isEmpty());
    EXPECT_EQ(bobHandled->count, 6);
}

// Between secure bob and classic carol a file goes in clear both ways, from a quiboweb that holds
// its client's key and so serves both.
TEST_F(SecurePeers, AFileBetweenASecureAndAClassicClientGoesAsBefore)
{
    const struct {
        TestClient *from, *to;
        const char *text;
    } cases[] = {{&carol, &bob, "carol's file"}, {&bob, &carol, "bob's file"}};
    for (const auto &c : cases) {
        const QString address = c.from->client->logon().ownAddress;
        ASSERT_TRUE(QDir(c.from->dir.path()).mkpath(u"html/tmp"_s));
        QuibowebProcess web({u"--headless"_s, u"--root"_s, c.from->dir.filePath(u"html"_s), u"--listen"_s,
                             address + u":%1"_s.arg(net.webPort())},
                            LocalWebServer::tlsIdentity(c.from->workDir()));
        ASSERT_TRUE(web.waitForOutput("Serving"));
        RecordingProxy path(loopback(4), {net.port(), net.webPort()}, address);
        ASSERT_TRUE(path.isListening());
        moveContact(*c.to, c.from->client->logon().ownHandle, loopback(4));
        QTemporaryDir outbox, inbox;
        ASSERT_TRUE(writeFile(outbox.filePath(u"note.txt"_s), c.text));
        offerFile(*c.from, *c.to, outbox.filePath(u"note.txt"_s), inbox.path());
        ASSERT_TRUE(waitFor([&] { return readFile(inbox.filePath(u"note.txt"_s)) == c.text; })) << c.text;
        EXPECT_TRUE(path.carried.contains(c.text)) << c.text; // in clear, as before
        moveContact(*c.to, c.from->client->logon().ownHandle, address);
    }
}

// Lines on the chat ports are told apart by the address they come from. bob is in a channel
// hosted by `speaker` and in a private chat with it; a line in clear from secure alice's address
// (her client told bob is classic, as a forger there would send) is dropped on both ports, and
// the same from classic carol is shown: a secure and a classic client still chat as before.
class ChatLinesInClear : public SecurePeers, public ::testing::WithParamInterface<const char *> {};

TEST_P(ChatLinesInClear, CountOnlyFromClassicContacts)
{
    TestClient &speaker = QByteArray(GetParam()) == "alice" ? alice : carol;
    const bool shown = &speaker == &carol;
    int channelLines = 0, privateLines = 0;
    QObject::connect(&bob.client->listener(Client::Port::Channel), &Listener::handled,
                     [&] { ++channelLines; });
    QObject::connect(&bob.client->listener(Client::Port::PrivateChat), &Listener::handled,
                     [&] { ++privateLines; });

    ASSERT_TRUE(choose(speaker, Command::HostChannel));
    ASSERT_TRUE(waitFor([&] { return speaker.channel.last() && speaker.channel.last()->open; }));
    ASSERT_TRUE(chooseFromMenu(bob, speaker.client->logon().ownHandle, Command::JoinChannel));
    ASSERT_TRUE(waitFor([&] { return bob.channel.last() != nullptr; }));
    bob.privateChat.answers = {true};
    selectContact(speaker, u"bob"_s);
    ASSERT_TRUE(choose(speaker, Command::PrivateChat));
    ASSERT_TRUE(waitFor([&] { return bob.privateChat.windows.size() == 1; }));

    ClientSetup::key(*speaker.client, u"bob"_s, {});
    const int channelBefore = channelLines, privateBefore = privateLines;
    speaker.channel.last()->say(u"a channel line"_s);
    speaker.privateChat.last().say(u"a private line"_s);
    ASSERT_TRUE(waitFor([&] { return channelLines > channelBefore && privateLines > privateBefore; }));
    const QString who = speaker.client->logon().ownHandle;
    EXPECT_EQ(bob.channel.last()->rows.contains(who + u"> a channel line"_s), shown);
    EXPECT_EQ(bob.privateChat.last().rows.contains(who + u"> a private line"_s), shown);
}

INSTANTIATE_TEST_SUITE_P(Speakers, ChatLinesInClear, ::testing::Values("alice", "carol"),
                         [](const auto &param) { return std::string(param.param); });
