// bench_peer [records] [senders]
//
// Several sending clients, each with one record in flight at a time, send sound codes to one
// listening client; a record's latency runs from the start of its send until the listener has
// handled it (its clip played, with a zero-length clip). The baseline is the same
// connect-send-close by the same sender code to a bare server that only reads to the end.
// The listener's latency is measured again with its history off and on, in the same run:
// recording each sound must not slow delivery.
// Then the same clients again as secure contacts of each other: every record over TLS 1.3,
// each end's key checked, on the one connection each sender keeps to the listener (its first
// record pays the handshake), against the classic figures of the same run.
// The last lines are "RESULT ..." lines for bench/run-all.
#include "PeerNetwork.h"

#include "history/HistoryStore.h"
#include "messaging/Smileys.h"
#include "peer/PeerRecord.h"
#include "peer/SocketEvents.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace quibo;
using namespace quibo::test;

namespace {

struct Figures {
    double recordsPerSecond = 0;
    double medianMs = 0;
    double cpuMsPerRecord = 0; // this process's, both ends: what a loaded machine's clock hides
};

double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// What the senders share: a clock, start times of the record each has in flight, and a
// Wakeup each to hear that its record was handled.
struct Run {
    QElapsedTimer clock;
    std::vector<qint64> startedNs;
    std::vector<Wakeup *> handled;
    std::vector<double> latenciesMs;
    int finishedSenders = 0;

    void done(int sender)
    {
        latenciesMs.push_back(
            static_cast<double>(clock.nsecsElapsed() - startedNs.at(static_cast<std::size_t>(sender))) / 1e6);
        handled.at(static_cast<std::size_t>(sender))->wake();
    }
};

QCoro::Task<> sendLoop(RecordSender *sender, QString address, QByteArray block, int count, Run *run, int id)
{
    for (int i = 0; i < count; ++i) {
        run->startedNs.at(static_cast<std::size_t>(id)) = run->clock.nsecsElapsed();
        if (co_await sender->sendRecord(address, block) != SendOutcome::Sent) {
            std::fprintf(stderr, "sender %d: send failed\n", id);
            break;
        }
        co_await run->handled.at(static_cast<std::size_t>(id))->next();
    }
    ++run->finishedSenders;
}

// A run's figures; measured again, the run adds to its latencies.
Figures measure(Run &run, const std::vector<RecordSender *> &senders, const QString &address,
                const std::vector<QByteArray> &blocks, int perSender)
{
    const auto n = senders.size();
    run.startedNs.assign(n, 0);
    while (run.handled.size() < n)
        run.handled.push_back(new Wakeup(senders[run.handled.size()]));
    run.finishedSenders = 0;
    const auto before = run.latenciesMs.size();
    const double cpuBefore = cpuMs();
    run.clock.start();
    for (std::size_t i = 0; i < n; ++i)
        sendLoop(senders[i], address, blocks[i], perSender, &run, static_cast<int>(i));
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (run.finishedSenders == static_cast<int>(n))
            loop.quit();
    });
    poll.start(5);
    loop.exec();
    const double seconds = static_cast<double>(run.clock.nsecsElapsed()) / 1e9;
    std::sort(run.latenciesMs.begin(), run.latenciesMs.end());
    Figures f;
    f.recordsPerSecond = static_cast<double>(run.latenciesMs.size() - before) / seconds;
    f.medianMs = run.latenciesMs.empty() ? 0 : run.latenciesMs.at(run.latenciesMs.size() / 2);
    const auto records = std::max<std::size_t>(1, run.latenciesMs.size() - before);
    f.cpuMsPerRecord = (cpuMs() - cpuBefore) / static_cast<double>(records);
    return f;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const int senderCount = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 50) : 4;
    const int perSender = std::max(1, records / senderCount);

    // The client path: a listener at 127.0.0.2 and senders at 127.0.0.3, .4, ...
    PeerNetwork net;
    TestClient &hub = net.add(QStringLiteral("hub"), QStringLiteral("127.0.0.2"), Timings{});
    QStringList names;
    std::vector<std::unique_ptr<SentAs>> ownSenders; // each client's own, from its address
    std::vector<RecordSender *> senders;
    std::vector<QByteArray> blocks;
    QList<messaging::SoundRow> codes = messaging::sounds(); // one clip each
    codes.removeIf([](const messaging::SoundRow &row) { return row.clips.size() != 1; });
    for (int i = 0; i < senderCount; ++i) {
        const QString name = QStringLiteral("s%1").arg(i);
        TestClient &c = net.add(name, QStringLiteral("127.0.0.%1").arg(3 + i), Timings{});
        names.append(name);
        senders.push_back(&ownSenders.emplace_back(std::make_unique<SentAs>(c))->sender());
        // The code names the sender (the clip played tells who); the rest is padding text.
        blocks.push_back(peer::buildRecord(name, codes.at(i % codes.size()).code, QString::number(i)));
    }
    net.befriend(hub, names);
    if (!PeerNetwork::startListening(hub)) {
        std::fprintf(stderr, "cannot listen\n");
        return 1;
    }
    Run client;
    Run *current = &client;
    QObject::connect(&hub.client->listener(), &Listener::handled, &app, [&] {
        Run &run = *current;
        // Records are handled one at a time: the last clip is this record's; its sender is
        // the one with that code in flight.
        const QString clip = hub.sound.finished.constLast();
        for (int i = 0; i < senderCount; ++i) {
            if (codes.at(i % codes.size()).clips.constFirst() == clip &&
                run.startedNs.at(static_cast<std::size_t>(i)) != 0) {
                run.done(i);
                run.startedNs.at(static_cast<std::size_t>(i)) = 0;
                break;
            }
        }
    });
    if (senderCount > codes.size())
        std::fprintf(stderr, "more senders than sound codes: latencies are attributed loosely\n");
    const Figures ours = measure(client, senders, QStringLiteral("127.0.0.2"), blocks, perSender);
    // The history's cost, once warm: the same records with it off and on, in rounds off, on, on,
    // off, ..., since each run is a little slower than the one before it (with nothing kept in
    // either, a second run took 1.1 times the first).
    const HistoryStore &history = hub.client->historyStore();
    Run withoutHistory, withHistory;
    constexpr int Rounds = 8;
    Figures off, on;
    for (int round = 0; round < Rounds; ++round) {
        const bool keeping = round % 4 == 1 || round % 4 == 2;
        ClientSetup::historyKept(*hub.client, keeping);
        current = keeping ? &withHistory : &withoutHistory;
        (keeping ? on : off) = measure(*current, senders, QStringLiteral("127.0.0.2"), blocks,
                                       std::max(1, perSender * 2 / Rounds));
    }
    ClientSetup::historyKept(*hub.client, true);

    // The same, secure: the hub and each sender know each other's keys, as from the directory.
    net.trustKeys(hub, names);
    for (const QString &name : std::as_const(names)) {
        // Made before the run: key making is not part of a record's cost.
        TestClient &sender = *net.member(name);
        net.befriend(sender, {QStringLiteral("hub")});
        net.trustKeys(sender, {QStringLiteral("hub")});
    }
    Run secureRun;
    current = &secureRun;
    const Figures secure = measure(secureRun, senders, QStringLiteral("127.0.0.2"), blocks, perSender);

    // The baseline: the same senders' connect-send-close to a bare reader at 127.0.0.20.
    Config rawConfig;
    rawConfig.peerPort = freeLoopbackPort();
    const Timings rawTimings;
    const LogonState rawLogon;
    std::vector<RecordSender *> rawSenders;
    std::vector<QByteArray> rawBlocks;
    for (int i = 0; i < senderCount; ++i) {
        rawSenders.push_back(new RecordSender(rawConfig, rawLogon, rawTimings, &app));
        rawBlocks.push_back(QByteArray(1, static_cast<char>(i)) + QByteArray(peer::MessageBlock - 1, 'x'));
    }
    QTcpServer bare;
    bare.setListenBacklogSize(5);
    if (!bare.listen(QHostAddress(QStringLiteral("127.0.0.20")), rawConfig.peerPort)) {
        std::fprintf(stderr, "cannot listen for the baseline\n");
        return 1;
    }
    Run raw;
    QObject::connect(&bare, &QTcpServer::newConnection, &app, [&] {
        while (QTcpSocket *s = bare.nextPendingConnection()) {
            auto *bytes = new QByteArray;
            QObject::connect(s, &QTcpSocket::readyRead, s, [s, bytes] { bytes->append(s->readAll()); });
            QObject::connect(s, &QTcpSocket::disconnected, s, [s, bytes, &raw] {
                bytes->append(s->readAll());
                if (!bytes->isEmpty())
                    raw.done(static_cast<unsigned char>(bytes->at(0)));
                delete bytes;
                s->deleteLater();
            });
        }
    });
    const Figures bareFigures = measure(raw, rawSenders, QStringLiteral("127.0.0.20"), rawBlocks, perSender);

    std::printf("peer records: %d senders x %d records of %lld bytes\n", senderCount, perSender,
                static_cast<long long>(peer::MessageBlock));
    std::printf("  client listener : %8.0f records/s, median latency %.3f ms, %.3f ms CPU each (%zu handled)\n",
                ours.recordsPerSecond, ours.medianMs, ours.cpuMsPerRecord, client.latenciesMs.size());
    std::printf("  bare loopback   : %8.0f records/s, median latency %.3f ms\n", bareFigures.recordsPerSecond,
                bareFigures.medianMs);
    std::printf("  ratios          : rate %.2f of bare (target >= 500 records/s), latency %.2f x bare "
                "(target <= 10)\n",
                ours.recordsPerSecond / bareFigures.recordsPerSecond, ours.medianMs / bareFigures.medianMs);
    std::printf(
        "  history on / off: median latency %.3f / %.3f ms = %.2f (target <= 1.1), %lld entries kept\n",
        on.medianMs, off.medianMs, on.medianMs / off.medianMs, static_cast<long long>(history.lastId()));
    std::printf("  versus the fixed 1 s wait before each read: %.0f x\n", ours.recordsPerSecond / 1.0);
    std::printf(
        "RESULT name=peer-rate figure=%.0f baseline=%.0f unit=records/s ratio=%.2f target=figure>=500\n",
        ours.recordsPerSecond, bareFigures.recordsPerSecond,
        ours.recordsPerSecond / bareFigures.recordsPerSecond);
    std::printf("RESULT name=peer-latency figure=%.3f baseline=%.3f unit=ms ratio=%.2f target=ratio<=10\n",
                ours.medianMs, bareFigures.medianMs, ours.medianMs / bareFigures.medianMs);
    std::printf(
        "RESULT name=peer-history-latency figure=%.3f baseline=%.3f unit=ms ratio=%.2f target=ratio<=1.1\n",
        on.medianMs, off.medianMs, on.medianMs / off.medianMs);
    std::printf("  secure (TLS 1.3): %8.0f records/s, median latency %.3f ms, %.3f ms CPU each (%zu handled)\n",
                secure.recordsPerSecond, secure.medianMs, secure.cpuMsPerRecord, secureRun.latenciesMs.size());
    std::printf("RESULT name=secure-latency figure=%.3f baseline=%.3f unit=ms ratio=%.2f target=ratio<=3\n",
                secure.medianMs, ours.medianMs, secure.medianMs / ours.medianMs);
    std::printf("RESULT name=secure-rate figure=%.0f baseline=%.0f unit=records/s ratio=%.2f target=ratio>=0.3\n",
                secure.recordsPerSecond, ours.recordsPerSecond, secure.recordsPerSecond / ours.recordsPerSecond);
    std::printf("RESULT name=secure-rate-abs figure=%.0f baseline=%.0f unit=records/s ratio=%.2f "
                "target=figure>=2000\n",
                secure.recordsPerSecond, ours.recordsPerSecond, secure.recordsPerSecond / ours.recordsPerSecond);
    return 0;
}
