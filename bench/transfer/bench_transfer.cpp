// bench_transfer [MiB]
//
// A file of MiB mebibytes (1024 unless given) in a quiboweb's "tmp" on 127.0.0.1 is fetched
// by curl and by the client's download code, one after the other, from the same server; each
// result is checked for its length. Prints both throughputs, their ratio, and how far the
// resident memory grew during the client's download, then "RESULT ..." lines for bench/run-all.
// Then the client's download goes once more through a proxy that cuts the connection half way:
// the bytes the server sends after the cut, against the file's size, show that the download
// resumed rather than started again (target at most 55%), and the result is compared whole.
// Last, the same file over HTTPS from the same quiboweb (holding a key made for the run): curl
// (--insecure) against the client's download pinned to that key, with its memory growth.
#include "PeerNetwork.h"
#include "QuibowebProcess.h"

#include "keys/KeyMaking.h"
#include "transfer/FileDownload.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

#include <sys/resource.h>

using namespace quibo;
using namespace quibo::test;

namespace {

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLongLong();
    }
    return 0;
}

bool writeFile(const QString &path, qint64 mebibytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray block(1 << 20, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
    for (qint64 i = 0; i < mebibytes; ++i) {
        block[0] = static_cast<char>(i); // no two blocks alike
        if (file.write(block) != block.size())
            return false;
    }
    return true;
}

// Forwards connections on 127.0.0.1 to a server there, and cuts the first one once `cutAfter`
// bytes of the answer went through; counts what the server sent on each connection.
class CuttingProxy : public QObject {
public:
    CuttingProxy(quint16 serverPort, qint64 cutAfter) : m_serverPort(serverPort), m_cutAfter(cutAfter)
    {
        connect(&m_listener, &QTcpServer::newConnection, this, &CuttingProxy::accept);
    }
    bool listen() { return m_listener.listen(QHostAddress::LocalHost); }
    [[nodiscard]] quint16 port() const { return m_listener.serverPort(); }
    QList<qint64> answered; // bytes of the answer forwarded, by connection

private:
    static constexpr qint64 AheadBytes = 8 << 20; // what may wait for the client

    void accept()
    {
        while (QTcpSocket *client = m_listener.nextPendingConnection()) {
            auto *server = new QTcpSocket(client);
            const qsizetype n = answered.size();
            answered.append(0);
            const QPointer<QTcpSocket> c(client), s(server);
            const auto pump = [this, c, s, n] {
                if (!c || !s)
                    return;
                while (!(n == 0 && answered[n] >= m_cutAfter) && s->bytesAvailable() > 0 &&
                       c->bytesToWrite() < AheadBytes) {
                    qint64 want = std::min<qint64>(s->bytesAvailable(), 1 << 20);
                    if (n == 0)
                        want = std::min(want, m_cutAfter - answered[n]);
                    const QByteArray chunk = s->read(want);
                    answered[n] += chunk.size();
                    c->write(chunk);
                }
                // The connection drops half way: once what was forwarded has left this proxy,
                // since an abort throws away what still waits here.
                if (n == 0 && answered[n] >= m_cutAfter && c->bytesToWrite() == 0) {
                    c->abort();
                    c->deleteLater();
                }
            };
            connect(client, &QTcpSocket::readyRead, server, [c, s] { s->write(c->readAll()); });
            connect(server, &QTcpSocket::readyRead, client, pump);
            connect(client, &QTcpSocket::bytesWritten, client, pump);
            connect(server, &QTcpSocket::disconnected, client, [c, pump] {
                pump();
                if (c)
                    c->disconnectFromHost();
            });
            connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
            server->connectToHost(QHostAddress::LocalHost, m_serverPort);
        }
    }

    QTcpServer m_listener;
    quint16 m_serverPort;
    qint64 m_cutAfter;
};

// Runs the client's download of `url` into `out`; its outcome.
DownloadOutcome runDownload(FileDownload &download, const QUrl &url, const QString &out, qint64 bytes,
                            FileDownload::Progress progress, std::optional<PinnedKey> pin = std::nullopt)
{
    DownloadOutcome outcome = DownloadOutcome::Lost;
    bool done = false;
    QEventLoop loop;
    download.run({url}, out, bytes, {}, false, std::move(progress), {}, std::move(pin)).then([&](DownloadOutcome o) {
        outcome = o;
        done = true;
        loop.quit();
    });
    if (!done)
        loop.exec();
    return outcome;
}

QByteArray checksum(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Md4);
    return file.open(QIODevice::ReadOnly) && hash.addData(&file) ? hash.result() : QByteArray();
}

// CPU seconds spent so far by this process (RUSAGE_SELF) or its waited-for children: steadier
// than the rates on a busy machine.
double cpuSeconds(int who)
{
    rusage usage{};
    ::getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double mibPerSecond(qint64 bytes, qint64 ns)
{
    return static_cast<double>(bytes) / (1 << 20) / (static_cast<double>(ns) / 1e9);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 mebibytes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toLongLong() : 1024;
    const qint64 bytes = mebibytes << 20;
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("html"));
    QDir().mkpath(root + QStringLiteral("/tmp"));
    if (!writeFile(root + QStringLiteral("/tmp/big file.bin"), mebibytes)) {
        std::fprintf(stderr, "cannot write the test file\n");
        return 1;
    }
    const quint16 port = freeLoopbackPort();
    const std::optional<keys::KeyPair> key = keys::makeSelfSigned(QStringLiteral("bench"));
    if (!key) {
        std::fprintf(stderr, "cannot make a key\n");
        return 1;
    }
    QuibowebProcess web({QStringLiteral("--headless"), QStringLiteral("--root"), root, QStringLiteral("--listen"),
                         QStringLiteral("127.0.0.1:%1").arg(port)},
                        keys::certificatePem(*key) + keys::keyPem(*key));
    if (!web.waitForOutput("Serving")) {
        std::fprintf(stderr, "quiboweb did not start: %s\n", web.errorOutput().constData());
        return 1;
    }
    const QUrl url =
        FileDownload::offeredFileUrl(QStringLiteral("127.0.0.1"), port, QStringLiteral("big file.bin"));
    const QString out = dir.filePath(QStringLiteral("out.bin"));

    QElapsedTimer clock;
    clock.start();
    const int curl = QProcess::execute(QStringLiteral("curl"), {QStringLiteral("-sf"), QStringLiteral("-o"),
                                                                out, QString::fromUtf8(url.toEncoded())});
    const qint64 curlNs = clock.nsecsElapsed();
    if (curl != 0 || QFileInfo(out).size() != bytes) {
        std::fprintf(stderr, "curl failed (%d)\n", curl);
        return 1;
    }
    QFile::remove(out);

    Timings timings;
    FileDownload download(timings);
    const qint64 before = residentKiB();
    qint64 peak = before;
    clock.restart();
    const DownloadOutcome outcome =
        runDownload(download, url, out, bytes, [&peak](qint64) { peak = std::max(peak, residentKiB()); });
    const qint64 clientNs = clock.nsecsElapsed();
    peak = std::max(peak, residentKiB());
    if (outcome != DownloadOutcome::Complete || QFileInfo(out).size() != bytes) {
        std::fprintf(stderr, "the client's download failed (%d)\n", static_cast<int>(outcome));
        return 1;
    }

    const QByteArray whole = checksum(out);
    QFile::remove(out);

    CuttingProxy proxy(port, bytes / 2);
    if (!proxy.listen()) {
        std::fprintf(stderr, "the proxy cannot listen\n");
        return 1;
    }
    Timings retryAtOnce;
    retryAtOnce.downloadRetryPause = std::chrono::milliseconds(1);
    FileDownload resumed(retryAtOnce);
    const QUrl viaProxy = FileDownload::offeredFileUrl(QStringLiteral("127.0.0.1"), proxy.port(),
                                                       QStringLiteral("big file.bin"));
    const DownloadOutcome resumedOutcome = runDownload(resumed, viaProxy, out, bytes, {});
    if (resumedOutcome != DownloadOutcome::Complete || proxy.answered.size() < 2 || checksum(out) != whole) {
        std::fprintf(stderr, "the resumed download failed (%d)\n", static_cast<int>(resumedOutcome));
        return 1;
    }
    qint64 afterCut = 0;
    for (qsizetype i = 1; i < proxy.answered.size(); ++i)
        afterCut += proxy.answered[i];
    const double resumedShare = static_cast<double>(afterCut) / static_cast<double>(bytes);

    // Over HTTPS: curl, then the client pinned to the server's key.
    const QUrl secureUrl =
        FileDownload::offeredFileUrl(QStringLiteral("127.0.0.1"), port, QStringLiteral("big file.bin"), true);
    QFile::remove(out);
    const double childrenBefore = cpuSeconds(RUSAGE_CHILDREN);
    clock.restart();
    const int curlTls = QProcess::execute(QStringLiteral("curl"), {QStringLiteral("-sfk"), QStringLiteral("-o"), out,
                                                                   QString::fromUtf8(secureUrl.toEncoded())});
    const qint64 curlTlsNs = clock.nsecsElapsed();
    const double curlTlsCpu = cpuSeconds(RUSAGE_CHILDREN) - childrenBefore;
    if (curlTls != 0 || QFileInfo(out).size() != bytes) {
        std::fprintf(stderr, "curl over HTTPS failed (%d)\n", curlTls);
        return 1;
    }
    QFile::remove(out);
    FileDownload secure(timings);
    const qint64 secureBefore = residentKiB();
    qint64 securePeak = secureBefore;
    const double selfBefore = cpuSeconds(RUSAGE_SELF);
    clock.restart();
    const DownloadOutcome secureOutcome = runDownload(
        secure, secureUrl, out, bytes, [&securePeak](qint64) { securePeak = std::max(securePeak, residentKiB()); },
        PinnedKey{keys::keyFingerprint(key->certificate.get()), QSslConfiguration::defaultConfiguration()});
    const qint64 secureNs = clock.nsecsElapsed();
    const double secureCpu = cpuSeconds(RUSAGE_SELF) - selfBefore;
    securePeak = std::max(securePeak, residentKiB());
    if (secureOutcome != DownloadOutcome::Complete || checksum(out) != whole) {
        std::fprintf(stderr, "the client's HTTPS download failed (%d)\n", static_cast<int>(secureOutcome));
        return 1;
    }
    const double curlTlsRate = mibPerSecond(bytes, curlTlsNs);
    const double secureRate = mibPerSecond(bytes, secureNs);

    const double curlRate = mibPerSecond(bytes, curlNs);
    const double clientRate = mibPerSecond(bytes, clientNs);
    std::printf("file               %lld MiB from quiboweb on 127.0.0.1\n",
                static_cast<long long>(mebibytes));
    std::printf("curl               %8.1f MiB/s\n", curlRate);
    std::printf("client download    %8.1f MiB/s\n", clientRate);
    std::printf("ratio client/curl  %8.2f (target >= 0.80)\n", clientRate / curlRate);
    std::printf("resident growth    %8.1f MiB (target < 32)\n", static_cast<double>(peak - before) / 1024);
    std::printf("RESULT name=transfer figure=%.1f baseline=%.1f unit=MiB/s ratio=%.2f target=ratio>=0.80\n",
                clientRate, curlRate, clientRate / curlRate);
    std::printf("resumed after cut  %8.1f %% of the file sent again (target <= 55)\n", resumedShare * 100);
    std::printf(
        "RESULT name=transfer-resume figure=%.1f baseline=%.1f unit=MiB ratio=%.2f target=ratio<=0.55\n",
        static_cast<double>(afterCut) / (1 << 20), static_cast<double>(bytes) / (1 << 20), resumedShare);
    std::printf("RESULT name=transfer-memory figure=%.1f baseline=- unit=MiB ratio=- target=figure<32\n",
                static_cast<double>(peak - before) / 1024);
    std::printf("curl over HTTPS    %8.1f MiB/s\n", curlTlsRate);
    std::printf("client over HTTPS  %8.1f MiB/s\n", secureRate);
    std::printf("ratio client/curl  %8.2f over HTTPS (target >= 0.70)\n", secureRate / curlTlsRate);
    std::printf("CPU over HTTPS     %8.2f s curl, %.2f s client\n", curlTlsCpu, secureCpu);
    std::printf("resident growth    %8.1f MiB over HTTPS (target < 32)\n",
                static_cast<double>(securePeak - secureBefore) / 1024);
    std::printf("RESULT name=transfer-https figure=%.1f baseline=%.1f unit=MiB/s ratio=%.2f target=ratio>=0.70\n",
                secureRate, curlTlsRate, secureRate / curlTlsRate);
    std::printf("RESULT name=transfer-https-memory figure=%.1f baseline=- unit=MiB ratio=- target=figure<32\n",
                static_cast<double>(securePeak - secureBefore) / 1024);
    return 0;
}
