// bench_transfer [MiB]
//
// A file of MiB mebibytes (1024 unless given) in a quiboweb's "tmp" on 127.0.0.1 is fetched
// by curl and by the client's download code, one after the other, from the same server; each
// result is checked for its length. Prints both throughputs, their ratio, and how far the
// resident memory grew during the client's download, then "RESULT ..." lines for bench/run-all.
#include "PeerNetwork.h"
#include "QuibowebProcess.h"

#include "transfer/FileDownload.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

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
    QuibowebProcess web({QStringLiteral("--headless"), QStringLiteral("--root"), root,
                         QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(port)});
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
    DownloadOutcome outcome = DownloadOutcome::Lost;
    bool done = false;
    QEventLoop loop;
    clock.restart();
    download.run(url, out, bytes, {}, [&peak](qint64) { peak = std::max(peak, residentKiB()); })
        .then([&](DownloadOutcome o) {
            outcome = o;
            done = true;
            loop.quit();
        });
    if (!done)
        loop.exec();
    const qint64 clientNs = clock.nsecsElapsed();
    peak = std::max(peak, residentKiB());
    if (outcome != DownloadOutcome::Complete || QFileInfo(out).size() != bytes) {
        std::fprintf(stderr, "the client's download failed (%d)\n", static_cast<int>(outcome));
        return 1;
    }

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
    std::printf("RESULT name=transfer-memory figure=%.1f baseline=- unit=MiB ratio=- target=figure<32\n",
                static_cast<double>(peak - before) / 1024);
    return 0;
}
