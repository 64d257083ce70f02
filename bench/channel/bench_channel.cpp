// bench_channel [rounds]
//
// A hosting client at 127.0.0.2 has 100 members, each a server at 127.0.0.10 and up that counts
// the bytes it receives. One member sends a line to the host; the figure runs until the 99
// others have the whole 512-byte line. The baseline is 99 bare connect-send-close deliveries of
// 512 bytes to the same servers, all started at once. Then the same relay with every member a
// secure contact (TLS 1.3 both ways, keys pinned, on the connections the host keeps to its
// members: the first round pays the handshakes), against the relay in clear of the same run.
// Medians over the rounds.
#include "PeerNetwork.h"

#include "channel/ChannelLine.h"
#include "keys/UserKey.h"
#include "mainwindow/CommandHandlers.h"
#include "peer/IncomingConnections.h"
#include "peer/PeerRecord.h"
#include "peer/PeerTls.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

using namespace quibo;
using namespace quibo::test;

namespace {

constexpr int Members = 100;

QString memberAddress(int i)
{
    return QStringLiteral("127.0.0.%1").arg(10 + i);
}

// Runs the event loop until `done` holds; false after 30 s. (QTest's wait sleeps between
// checks, which would blur a figure of milliseconds.)
bool runUntil(const std::function<bool()> &done)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    poll.start(1);
    loop.exec();
    return done();
}

// A member's chat port: counts the bytes of every line it reads.
QCoro::Task<> countLines(IncomingConnections *port, qint64 *received)
{
    for (;;)
        *received += (co_await port->next()).bytes.size();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    PeerNetwork net;
    TestClient &host = net.add(QStringLiteral("host"), QStringLiteral("127.0.0.2"), Timings{});
    // The members' one key (each could have its own; the host pins each to this fingerprint).
    QTemporaryDir keyDir;
    const std::optional<UserKey> memberKey =
        loadOrMakeUserKey(keyDir.filePath(QStringLiteral("m.key")), keyDir.filePath(QStringLiteral("m.crt")));
    if (!memberKey) {
        std::fprintf(stderr, "cannot make the members' key\n");
        return 1;
    }
    QSslConfiguration memberTls = tlsPresenting(*memberKey, QSslSocket::QueryPeer);
    memberTls.setCaCertificates({});
    memberTls.setAllowedNextProtocols({peer::KeptRecordsProtocol});
    qint64 received = 0;
    QStringList handles;
    for (int i = 0; i < Members; ++i) {
        // Reads clear text or TLS by the first byte, and keeps TLS connections, as a client's
        // chat port does.
        ReadRule rule{channel::LineBytes, std::chrono::seconds(5)};
        rule.kept = 4;
        auto *port = new IncomingConnections(rule, &app);
        port->setTls([&memberTls] { return std::optional(memberTls); });
        if (!port->listen(QHostAddress(memberAddress(i)), net.channelPort())) {
            std::fprintf(stderr, "cannot listen at %s\n", qPrintable(memberAddress(i)));
            return 1;
        }
        startTask(port, "member", [port, &received] { return countLines(port, &received); });
        handles.append(QStringLiteral("m%1").arg(i));
    }
    QStringList addresses;
    for (int i = 0; i < Members; ++i)
        addresses.append(memberAddress(i));
    ClientSetup::contactsFound(*host.client, handles, addresses);
    for (const QString &handle : handles)
        ClientSetup::inChannel(*host.client, handle);
    host.mainWindow.choose(Command::HostChannel);
    if (!waitFor([&] { return host.client->listener(Client::Port::Channel).isListening(); })) {
        std::fprintf(stderr, "the host cannot listen\n");
        return 1;
    }

    // The first member's own sender, from its address.
    Config memberConfig;
    memberConfig.listenAddress = QHostAddress(memberAddress(0));
    const Timings timings;
    LogonState memberLogon;
    memberLogon.ownAddress = memberAddress(0);
    RecordSender member(memberConfig, memberLogon, timings, &app);
    const QByteArray block = channel::lineBlock(QStringLiteral("m0> hello everybody"));
    const qint64 perRound = qint64(Members - 1) * channel::LineBytes;

    // One line from `sender` to the host, until the 99 others have it: its milliseconds, or
    // nothing when it does not arrive.
    const auto relay = [&](RecordSender &sender) -> std::optional<double> {
        received = 0;
        QElapsedTimer clock;
        clock.start();
        auto send = sender.sendBlock(QStringLiteral("127.0.0.2"), net.channelPort(), block);
        if (!runUntil([&] { return received >= perRound; })) {
            std::fprintf(stderr, "the relay did not arrive (%lld bytes)\n", received);
            return std::nullopt;
        }
        return static_cast<double>(clock.nsecsElapsed()) / 1e6;
    };
    std::vector<double> relayMs, bareMs;
    for (int round = 0; round < rounds; ++round) {
        const std::optional<double> relayed = relay(member);
        if (!relayed)
            return 1;
        relayMs.push_back(*relayed);

        received = 0;
        QElapsedTimer clock;
        clock.start();
        for (int i = 1; i < Members; ++i) {
            auto *socket = new QTcpSocket(&app);
            socket->setProxy(QNetworkProxy::NoProxy);
            QObject::connect(socket, &QTcpSocket::connected, socket, [socket, &block] {
                socket->write(block);
                socket->disconnectFromHost();
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            socket->connectToHost(QHostAddress(memberAddress(i)), net.channelPort());
        }
        if (!runUntil([&] { return received >= perRound; })) {
            std::fprintf(stderr, "round %d: the bare deliveries did not arrive\n", round);
            return 1;
        }
        bareMs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }

    // The same relay, secure: every member is a secure contact of the host with the members'
    // key, and the first member sends its line over TLS to the host's key.
    for (const QString &handle : handles)
        ClientSetup::key(*host.client, handle, memberKey->fingerprint);
    struct NoList final : OnlineList {
        void insertContactItem(int, const QString &) override {}
        void removeContactItem(int) override {}
    } noList;
    ContactTable memberContacts(noList);
    memberContacts.load({QStringLiteral("host")});
    memberContacts.applyLookup(0, QStringLiteral("127.0.0.2"));
    memberContacts.setKey(0, true, net.keyOf(QStringLiteral("host")));
    PeerTls memberPeerTls(memberContacts, [&memberKey] { return memberKey; });
    RecordSender secureMember(memberConfig, memberLogon, timings, &app);
    secureMember.setTls(memberPeerTls);
    std::vector<double> secureMs;
    for (int round = 0; round < rounds; ++round) {
        const std::optional<double> relayed = relay(secureMember);
        if (!relayed)
            return 1;
        secureMs.push_back(*relayed);
    }

    const double figure = median(relayMs);
    const double baseline = median(bareMs);
    const double ratio = figure / baseline;
    const double secure = median(secureMs);
    std::printf(
        "relay of one line to %d members: %.2f ms, %d bare deliveries: %.2f ms, ratio %.2f (%d rounds)\n",
        Members - 1, figure, Members - 1, baseline, ratio, rounds);
    std::printf("relay of one line to %d secure members: %.2f ms, %.2f x the relay in clear\n", Members - 1,
                secure, secure / figure);
    std::printf("RESULT name=channel-relay figure=%.2f baseline=%.2f unit=ms ratio=%.2f target=ratio<=1.5\n",
                figure, baseline, ratio);
    std::printf("RESULT name=channel-relay-secure figure=%.2f baseline=%.2f unit=ms ratio=%.2f target=ratio<=3\n",
                secure, figure, secure / figure);
    return 0;
}
