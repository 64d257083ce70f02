// IPv6 and published ports between secure clients: a secure contact is dialled at its IPv6
// address first, on the ports it published; a source is judged by the contact's known address.
#include "PeerNetwork.h"
#include "QuibowebProcess.h"

#include "directory/LocalWebServer.h"
#include "peer/IncomingConnections.h"
#include "peer/PeerSender.h"

#include <QTcpSocket>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;
using Step = ScriptedMessages::Step;

TEST(DialPlan, SecureContactsAreDialledAtIPv6FirstOnTheirPortsClassicOnesAsBefore)
{
    const ClientPorts own{40068, 40069, 40569, 40080}, theirs{50068, 50069, 50569, 50080};
    ContactRecord both, v6Only, classic;
    both.secure = v6Only.secure = true;
    both.address6 = v6Only.address6 = classic.address6 = u"2001:db8::7"_s;
    both.ports = classic.ports = theirs;
    const QHostAddress v4(u"10.0.0.7"_s), v6(u"2001:db8::7"_s);
    const struct {
        QString address;
        quint16 port;
        const ContactRecord *contact;
        QList<DialTarget> plan;
    } cases[] = {
        {u"10.0.0.7"_s, own.channel, &both, {{v6, theirs.channel}, {v4, theirs.channel}}},
        {u"10.0.0.7"_s, own.web, &both, {{v6, theirs.web}, {v4, theirs.web}}},
        {u"10.0.0.7"_s, 1234, &both, {{v6, 1234}, {v4, 1234}}}, // not one of ours: kept
        {u"2001:db8::7"_s, own.peer, &v6Only, {{v6, own.peer}}},  // online with IPv6 alone
        {u"10.0.0.7"_s, own.peer, &classic, {{v4, own.peer}}},    // classic: IPv4, fixed ports
    };
    for (const auto &c : cases)
        EXPECT_EQ(dialPlan(c.address, c.port, own, c.contact), c.plan) << c.address.toStdString() << " " << c.port;
    // "0" must never become 0.0.0.0 or ::, which reach this machine's own listeners.
    for (const QString &address : {u"0"_s, u"0.0.0.0"_s, u"::"_s, u""_s, u"localhost"_s, u"127.1"_s, u"1.2.3.4.5"_s})
        EXPECT_TRUE(dialPlan(address, own.peer, own, &classic).isEmpty()) << address.toStdString();
}

TEST(DualStack, ADualStackPortNamesIPv4SourcesInDottedTextAndIPv6AsThemselves)
{
    const quint16 port = freeLoopbackPort();
    IncomingConnections incoming(ReadRule{4});
    ASSERT_TRUE(incoming.listen(QHostAddress::Any, port));
    for (const QString &from : {loopback(5), u"::1"_s}) {
        QTcpSocket socket;
        ASSERT_TRUE(socket.bind(QHostAddress(from)));
        socket.connectToHost(QHostAddress(from), port);
        ASSERT_TRUE(waitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }));
        socket.write("ping");
        EXPECT_EQ(runToEnd(incoming.next()).value_or(Received{}).from.toString(), from);
    }
}

namespace {

// Secure alice and bob. bob listens on ::1 alone, on ports of his own he published with ::1;
// alice published ::1 too but listens on IPv4 alone, so bob's sends fall back to IPv4.
struct Ipv6Peers : ::testing::Test {
    PeerNetwork net;
    ClientPorts bobPorts = freeIPv6Ports();
    TestClient &alice = net.add(u"alice"_s, loopback(2));
    TestClient &bob = net.add(u"bob"_s, loopback(3), peerTimings(), [this] {
        Config c;
        c.listenAddress = QHostAddress::LocalHostIPv6;
        c.setPorts(bobPorts.text());
        return c;
    }());

    static ClientPorts freeIPv6Ports()
    {
        QTcpServer probes[4];
        for (QTcpServer &probe : probes)
            probe.listen(QHostAddress::LocalHostIPv6, 0);
        return {probes[0].serverPort(), probes[1].serverPort(), probes[2].serverPort(), probes[3].serverPort()};
    }
    void SetUp() override
    {
        if (bobPorts.peer == 0)
            GTEST_SKIP() << "no IPv6 loopback here";
        net.befriend(alice, {u"LoopBack"_s, u"bob"_s});
        net.befriend(bob, {u"LoopBack"_s, u"alice"_s});
        net.trustKeys(alice, {u"bob"_s});
        net.trustKeys(bob, {u"alice"_s});
        ClientSetup::reach(*alice.client, u"bob"_s, u"::1"_s, bobPorts);
        ClientSetup::reach(*bob.client, u"alice"_s, u"::1"_s, alice.config.ports());
        ASSERT_TRUE(PeerNetwork::startListening(alice) && PeerNetwork::startListening(bob));
    }
};

} // namespace

TEST_F(Ipv6Peers, MessagesAChatLineAndAFileCrossOverIPv6OnThePublishedPorts)
{
    HandledCounter bobHandled(bob), aliceHandled(alice);
    alice.messages.sendScript = {{Step::Send, u"over six"_s}};
    ASSERT_TRUE(doubleClickContact(alice, u"bob"_s));
    ASSERT_TRUE(waitFor([&] { return bobHandled.count == 1; }));
    EXPECT_EQ(bob.messages.log, QStringList{u"received|alice|over six"_s});
    bob.messages.sendScript = {{Step::Send, u"back over four"_s}};
    ASSERT_TRUE(doubleClickContact(bob, u"alice"_s));
    ASSERT_TRUE(waitFor([&] { return aliceHandled.count == 1; }));
    EXPECT_TRUE(alice.messages.log.contains(u"received|bob|back over four"_s));

    bob.privateChat.answers = {true};
    ASSERT_TRUE(choose(alice, Command::PrivateChat));
    ASSERT_TRUE(waitFor([&] { return bob.privateChat.windows.size() == 1 && alice.privateChat.windows.size() == 1; }));
    alice.privateChat.last().say(u"a line over six"_s);
    ASSERT_TRUE(waitFor([&] { return bob.privateChat.last().rows.contains(u"alice> a line over six"_s); }));

    // A file comes from its sender's web server: bob's on ::1, alice's on IPv4 alone, reached
    // once her ::1 gave no answer.
    const struct {
        TestClient &from, &to;
        QString toName, listen;
    } offers[] = {
        {bob, alice, u"alice"_s, u"[::1]:%1"_s.arg(bobPorts.web)},
        {alice, bob, u"bob"_s, loopback(2) + u":%1"_s.arg(alice.config.ports().web)},
    };
    for (const auto &o : offers) {
        SCOPED_TRACE(o.listen.toStdString());
        ASSERT_TRUE(QDir(o.from.dir.path()).mkpath(u"html/tmp"_s));
        QuibowebProcess web({u"--headless"_s, u"--root"_s, o.from.dir.filePath(u"html"_s), u"--listen"_s, o.listen},
                            LocalWebServer::tlsIdentity(o.from.workDir()));
        ASSERT_TRUE(web.waitForOutput("Serving")) << web.errorOutput().toStdString();
        QTemporaryDir outbox, inbox;
        const QByteArray bytes(100000, 'q');
        ASSERT_TRUE(writeFile(outbox.filePath(u"six.bin"_s), bytes));
        o.to.transfer.receiveAnswers = {true};
        o.to.transfer.saveAnswers = {true};
        o.to.transfer.saveFolder = inbox.path();
        o.from.transfer.filesToSend = {outbox.filePath(u"six.bin"_s)};
        ASSERT_TRUE(choose(o.from, Command::SendFile));
        const QString done = u"message|%1 Has Received six.bin|File Transfer Complete"_s.arg(o.toName);
        ASSERT_TRUE(waitFor([&] { return o.from.ui.log.contains(done); }, std::chrono::seconds(30)));
        EXPECT_EQ(readFile(inbox.filePath(u"six.bin"_s)), bytes);
    }
}
