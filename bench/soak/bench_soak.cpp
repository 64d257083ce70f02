// bench_soak [connections-per-port] [silent-seconds]
//
// A client (bob, in a child process, with a scripted user) listens on its peer, channel and
// private chat ports; a real quiboweb serves beside it.
// Thousands of hostile connections hit every listening port from spread loopback sources:
// random bytes, empty ones, silent ones and floods. Meanwhile alice's messages keep arriving;
// each one's latency runs from its connect until bob has shown it. Before and after: bob's
// resident memory and open descriptors.
#include "PeerNetwork.h"
#include "QuibowebProcess.h"
#include "SoakAttack.h"

#include "channel/Channels.h"
#include "channel/PrivateChatPeer.h"
#include "channel/PrivateChatWindow.h"
#include "peer/Listener.h"
#include "peer/PeerRecord.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <future>
#include <malloc.h>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace quibo;
using namespace quibo::test;
using namespace std::chrono_literals;

namespace {

const QString BobAddress = QStringLiteral("127.0.0.3");

// The child: bob listens, and reports each message from alice on stdout.
int runTarget()
{
    PeerNetwork net;
    TestClient &bob = net.add(QStringLiteral("bob"), BobAddress);
    net.befriend(bob, {QStringLiteral("alice")});
    if (!PeerNetwork::startListening(bob))
        return 1;
    const Listener &channel = bob.client->listener(Client::Port::Channel);
    const Listener &privateChat = bob.client->listener(Client::Port::PrivateChat);
    ClientSetup::listening(*bob.client, Client::Port::Channel);
    ClientSetup::listening(*bob.client, Client::Port::PrivateChat);
    if (!waitFor([&] { return channel.isListening() && privateChat.isListening(); }))
        return 1;
    qsizetype seen = 0;
    QObject::connect(&bob.client->listener(), &Listener::handled, [&] {
        for (; seen < bob.messages.log.size(); ++seen) {
            const struct mallinfo2 heap = mallinfo2();
            std::printf("heap %zu %zu\ngot %s\n", heap.uordblks + heap.hblkhd, heap.arena + heap.hblkhd,
                        qPrintable(bob.messages.log.at(seen)));
        }
        std::fflush(stdout);
        // Reported: the scripted user forgets it, so that only the client's memory is measured.
        bob.messages.log.clear();
        bob.messages.dialogs.clear();
        seen = 0;
    });
    std::printf("ready %u %u %u\n", net.port(), net.channelPort(), net.privateChatPort());
    std::fflush(stdout);
    return QCoreApplication::exec();
}

class Target {
public:
    Target()
    {
        m_process.setProgram(QCoreApplication::applicationFilePath());
        m_process.setArguments({QStringLiteral("--target")});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
    }
    ~Target()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    // The next line of the child's output, or an empty one after `timeout`.
    QByteArray line(std::chrono::milliseconds timeout)
    {
        QElapsedTimer clock;
        clock.start();
        while (!m_process.canReadLine()) {
            const qint64 left = timeout.count() - clock.elapsed();
            if (left <= 0 || !m_process.waitForReadyRead(int(left)))
                return {};
        }
        return m_process.readLine().trimmed();
    }
    [[nodiscard]] long pid() const { return long(m_process.processId()); }
    // What the child's allocator had handed out, and held from the system, at its last message.
    long long heapInUse = 0;
    long long heapHeld = 0;

private:
    QProcess m_process;
};

// Alice's message to bob: milliseconds until bob showed it, or -1 when it never came.
double ping(Target &target, quint16 port, int n)
{
    const QByteArray text = "ping " + QByteArray::number(n);
    const QByteArray block =
        peer::buildRecord(QStringLiteral("alice"), QString::fromLatin1(text), peer::MessageBlock);
    QElapsedTimer clock;
    clock.start();
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    ::inet_pton(AF_INET, "127.0.0.3", &to.sin_addr);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to) != 0 ||
        ::send(fd, block.constData(), size_t(block.size()), MSG_NOSIGNAL) != block.size()) {
        ::close(fd);
        std::fprintf(stderr, "ping %d: could not be sent\n", n);
        return -1;
    }
    ::close(fd);
    for (;;) {
        const QByteArray line = target.line(5s);
        if (line.startsWith("heap ")) {
            const QList<QByteArray> sizes = line.split(' ');
            target.heapInUse = sizes.value(1).toLongLong();
            target.heapHeld = sizes.value(2).toLongLong();
        }
        if (line.isEmpty()) {
            std::fprintf(stderr, "ping %d: not shown within 5 s\n", n);
            return -1;
        }
        if (line.endsWith(text))
            return double(clock.nsecsElapsed()) / 1e6;
    }
}

struct Latencies {
    std::vector<double> ms;
    int lost = 0;
    void add(double v) { v < 0 ? void(++lost) : ms.push_back(v); }
    [[nodiscard]] double median() const
    {
        std::vector<double> s = ms;
        std::sort(s.begin(), s.end());
        return s.empty() ? 0 : s[s.size() / 2];
    }
    [[nodiscard]] double worst() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
};

int runSoak(int perPort, std::chrono::milliseconds silent)
{
    soak::raiseDescriptorLimit();
    Target target;
    const QByteArray ready = target.line(20s);
    if (!ready.startsWith("ready ")) {
        std::fprintf(stderr, "the client did not start\n");
        return 1;
    }
    const QList<QByteArray> listening = ready.split(' ');
    const auto peerPort = quint16(listening.value(1).toUInt());
    QTemporaryDir root;
    const quint16 webPort = freeLoopbackPort();
    QuibowebProcess web({QStringLiteral("--headless"), QStringLiteral("--root"), root.path(),
                         QStringLiteral("--listen"), QStringLiteral("%1:%2").arg(BobAddress).arg(webPort)});
    if (!web.waitForOutput("Serving")) {
        std::fprintf(stderr, "quiboweb did not start\n");
        return 1;
    }

    Latencies before, during, after;
    int n = 0;
    for (int i = 0; i < 20; ++i)
        before.add(ping(target, peerPort, n++));
    const long rssBefore = soak::residentKiB(target.pid());
    const long long heapBefore = target.heapInUse;
    const long long heldBefore = target.heapHeld;
    const int fdsBefore = soak::openDescriptors(target.pid());

    const std::vector<std::pair<const char *, quint16>> ports = {
        {"peer", peerPort},
        {"chat", quint16(listening.value(2).toUInt())},
        {"private", quint16(listening.value(3).toUInt())},
        {"web", webPort}};
    std::vector<std::future<soak::AttackCounts>> attacks;
    QElapsedTimer soakClock;
    soakClock.start();
    for (std::size_t i = 0; i < ports.size(); ++i)
        attacks.push_back(std::async(std::launch::async, soak::attackPort, "127.0.0.3", ports[i].second,
                                     perPort, silent, unsigned(i + 1)));
    const auto running = [&] {
        return std::any_of(attacks.begin(), attacks.end(),
                           [](auto &f) { return f.wait_for(0s) != std::future_status::ready; });
    };
    while (running()) {
        during.add(ping(target, peerPort, n++));
        std::this_thread::sleep_for(100ms);
    }
    const double soakSeconds = double(soakClock.elapsed()) / 1000;

    // Sockets are released from the event loop, and freed memory a second after a burst: give
    // the client two seconds of quiet.
    std::this_thread::sleep_for(2s);
    int fdsAfter = soak::openDescriptors(target.pid());
    for (int i = 0; i < 50 && fdsAfter > fdsBefore; ++i) {
        std::this_thread::sleep_for(100ms);
        fdsAfter = soak::openDescriptors(target.pid());
    }
    for (int i = 0; i < 20; ++i)
        after.add(ping(target, peerPort, n++));
    const long rssAfter = soak::residentKiB(target.pid());

    std::printf("soak: %d connections per port, silent ones held %lld ms, %.1f s\n", perPort,
                static_cast<long long>(silent.count()), soakSeconds);
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const soak::AttackCounts c = attacks[i].get();
        std::printf("  %-7s port %5u: %d opened, %d refused or timed out\n", ports[i].first, ports[i].second,
                    c.opened, c.failed);
    }
    std::printf("message latency ms   median    worst   lost\n");
    for (const auto &[name, l] : {std::pair{"before", &before}, {"during", &during}, {"after", &after}})
        std::printf("  %-8s          %7.2f  %7.2f  %5d  (%zu messages)\n", name, l->median(), l->worst(),
                    l->lost, l->ms.size());
    const double growthMiB = double(rssAfter - rssBefore) / 1024;
    std::printf("resident memory: %ld KiB before, %ld KiB after (%+.1f MiB; target < 10)\n", rssBefore,
                rssAfter, growthMiB);
    std::printf("heap in use: %lld KiB before, %lld KiB after; held from the system: %lld KiB, %lld KiB\n",
                heapBefore / 1024, target.heapInUse / 1024, heldBefore / 1024, target.heapHeld / 1024);
    std::printf("open descriptors: %d before, %d after (target: back to the start)\n", fdsBefore, fdsAfter);
    // The table of bench/run-all: the targets are figures of their own, not ratios.
    std::printf("RESULT name=soak-latency figure=%.1f baseline=%.1f unit=ms ratio=- target=figure<1000\n",
                during.worst(), before.worst());
    std::printf("RESULT name=soak-lost figure=%d baseline=0 unit=messages ratio=- target=figure<=0\n",
                during.lost);
    std::printf("RESULT name=soak-memory figure=%.1f baseline=- unit=MiB ratio=- target=figure<10\n",
                growthMiB);
    std::printf("RESULT name=soak-descriptors figure=%d baseline=%d unit=fds ratio=- target=figure<=%d\n",
                fdsAfter, fdsBefore, fdsBefore);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == QStringLiteral("--target"))
        return runTarget();
    const int perPort = args.size() > 0 ? args.at(0).toInt() : 10000;
    const int silentSeconds = args.size() > 1 ? args.at(1).toInt() : 10;
    return runSoak(perPort, std::chrono::seconds(silentSeconds));
}
