// Times a whole logon with 100 contacts (Connect to "Ready": own address, the directory's TLS,
// broadcast, publishing with the user's key, one secure look-up per contact, announcements to
// the online half) against 100 bare sequential secure look-ups: HTTPS GETs through Qt's stock
// HTTP client, as the client made them before it had its own transport. Also shown: the same
// look-ups through the client's own transport, one after another. The user's key is bound to
// the account once, before the timed runs, as it is after the first logon. Once on bare
// loopback, once with a round trip of 20 ms more to the directory (10 ms each way), as over a
// real network: 100 look-ups one after another then take over 2 s.
//
// QUIBO_BENCH_QUICK=1 takes fewer runs. The last lines are "RESULT ..." lines for bench/run-all.

#include "DelayingProxy.h"
#include "DirectoryServer.h"
#include "TestClient.h"

#include "directory/DirectoryClient.h"
#include "directory/Logon.h"

#include <QCoreApplication>
#include <QCoro/QCoroTask>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QTcpServer>

#include <algorithm>
#include <cstdio>

using namespace quibo;
using namespace quibo::test;

namespace {

constexpr int Contacts = 100;
constexpr std::chrono::milliseconds NetworkDelay(10); // each way: 20 ms per round trip

QString contactName(int i)
{
    return QStringLiteral("c%1").arg(i, 3, 10, QLatin1Char('0'));
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// The user's key and the pinned directory keys, carried from one run's folder to the next.
void copyKeys(const QString &from, const QString &to)
{
    for (const char *name : {"quibo32.key", "quibo32.crt", "directory.pins"}) {
        const QString target = to + u'/' + QLatin1StringView(name);
        QFile::remove(target);
        QFile::copy(from + u'/' + QLatin1StringView(name), target);
    }
}

// Connect to the end of LogonThread, in milliseconds; negative when logon did not reach "Ready".
double timeLogon(const QString &directory, quint16 peerPort, const QString &keys)
{
    Config config;
    config.setDirectory(directory);
    config.ownAddressOverride = QStringLiteral("127.0.0.2");
    config.listenAddress = QHostAddress(config.ownAddressOverride);
    config.peerPort = peerPort;
    config.webPort = 8080;
    TestClient c(config, Timings{});
    write(c.dir.filePath(QStringLiteral("settings")), "bench\r\n");
    write(c.dir.filePath(QStringLiteral("userinfo.dat")), "pw\r\n");
    QByteArray contacts;
    for (int i = 0; i < Contacts; ++i)
        contacts += contactName(i).toUtf8() + "\r\n";
    write(c.dir.filePath(QStringLiteral("contacts.dat")), contacts);
    copyKeys(keys, c.dir.path());

    QEventLoop loop;
    QObject::connect(&c.client->directorySession().logon(), &Logon::finished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    c.client->start();
    c.ui.connectView->clickConnect();
    loop.exec();
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    copyKeys(c.dir.path(), keys);
    return c.mainWindow.status == QStringLiteral("Ready") && c.mainWindow.items.size() == Contacts / 2 ? ms
                                                                                                       : -1;
}

QCoro::Task<> lookUpAll(DirectoryClient &client, int *failures)
{
    for (int i = 0; i < Contacts; ++i) {
        const DirectoryReply reply = co_await client.lookUpContact(contactName(i));
        if (!reply.ok || reply.status != 200)
            ++*failures;
    }
}

// 100 sequential look-ups through the client's own transport, in milliseconds; negative when
// any failed.
double timeClientLookUps(const QString &directory, const QString &keys)
{
    Config config;
    config.setDirectory(directory);
    const Timings timings;
    const WorkingDirectory folder{QDir(keys)};
    DirectoryClient client(config, timings, folder);
    int failures = 0;
    QElapsedTimer clock;
    clock.start();
    QCoro::waitFor(lookUpAll(client, &failures));
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    return failures == 0 ? ms : -1;
}

// 100 sequential look-ups as HTTPS GETs through QNetworkAccessManager, in milliseconds;
// negative when any failed.
double timeBareLookUps(const QString &directory)
{
    QNetworkAccessManager network;
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setPeerVerifyMode(QSslSocket::VerifyNone); // the directory's own certificate
    tls.setProtocol(QSsl::TlsV1_3OrLater);
    int failures = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < Contacts; ++i) {
        QNetworkRequest request(QUrl(QStringLiteral("https://%1").arg(directory) +
                                     QString::fromLatin1(directory_target::secureLookup(contactName(i)))));
        request.setSslConfiguration(tls);
        request.setRawHeader(QByteArrayLiteral("Accept-Encoding"), QByteArrayLiteral("identity"));
        QNetworkReply *reply = network.get(request);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        failures += reply->error() == QNetworkReply::NoError ? 0 : 1;
        delete reply;
    }
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    return failures == 0 ? ms : -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("QUIBO_BIN_DIR"))
        qputenv("QUIBO_BIN_DIR", QCoreApplication::applicationDirPath().toUtf8());

    DirectoryServer server;
    if (!server.start()) {
        std::fprintf(stderr, "bench_logon: quibo-directory did not start: %s\n", qPrintable(server.output()));
        return 1;
    }
    bool ok = server.registerUser(QStringLiteral("bench"), QStringLiteral("pw"));
    for (int i = 0; i < Contacts; ++i) {
        ok = server.registerUser(contactName(i), QStringLiteral("pw")) && ok;
        // Every other contact is online, at an address where nobody listens: the announcement
        // costs a refused connection.
        if (i % 2 == 0)
            ok = server.publish(contactName(i), QStringLiteral("127.0.0.1")) && ok;
    }
    if (!ok) {
        std::fprintf(stderr, "bench_logon: could not set up the directory\n");
        return 1;
    }
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 peerPort = probe.serverPort();
    probe.close();

    const bool quick = qEnvironmentVariableIntValue("QUIBO_BENCH_QUICK") != 0;
    DelayingProxy proxy(server.port(), NetworkDelay);
    if (!proxy.listen()) {
        std::fprintf(stderr, "bench_logon: the delaying proxy cannot listen\n");
        return 1;
    }
    struct Case {
        const char *name;
        const char *title;
        QString directory;
        int runs;
        const char *target; // for run-all: "ratio<=x" or "figure<=ms"
    };
    const Case cases[] = {
        {"logon-100", "on loopback", server.authority(), quick ? 3 : 7, "ratio<=0.35"},
        {"logon-100-delay20", "20 ms round trip to the directory", proxy.authority(), quick ? 2 : 5,
         "figure<=500"},
    };
    QStringList results;
    const QTemporaryDir keys;
    timeBareLookUps(server.authority()); // warm-up; the first logon binds the key
    timeClientLookUps(server.authority(), keys.path());
    timeLogon(server.authority(), peerPort, keys.path());
    for (const Case &c : cases) {
        QList<double> logons;
        QList<double> lookUps;
        QList<double> clientLookUps;
        for (int run = 0; run < c.runs; ++run) {
            const double logon = timeLogon(c.directory, peerPort, keys.path());
            const double bare = timeBareLookUps(c.directory);
            const double own = timeClientLookUps(c.directory, keys.path());
            if (logon < 0 || bare < 0 || own < 0) {
                std::fprintf(stderr, "bench_logon: %s, run %d failed\n", c.name, run + 1);
                return 1;
            }
            logons.append(logon);
            lookUps.append(bare);
            clientLookUps.append(own);
        }
        const double logon = median(logons);
        const double bare = median(lookUps);
        std::printf("%s:\n", c.title);
        std::printf("  logon with %d contacts (Connect to Ready), median of %d: %.1f ms\n", Contacts, c.runs,
                    logon);
        std::printf("  %d sequential bare address look-ups (baseline), median of %d: %.1f ms\n", Contacts, c.runs,
                    bare);
        std::printf("  the same through the client's own transport, median of %d: %.1f ms (logon / these: %.2f)\n",
                    c.runs, median(clientLookUps), logon / median(clientLookUps));
        std::printf("  ratio logon / baseline: %.2f\n", logon / bare);
        results.append(QStringLiteral("RESULT name=%1 figure=%2 baseline=%3 unit=ms ratio=%4 target=%5")
                           .arg(QLatin1StringView(c.name))
                           .arg(logon, 0, 'f', 1)
                           .arg(bare, 0, 'f', 1)
                           .arg(logon / bare, 0, 'f', 2)
                           .arg(QLatin1StringView(c.target)));
    }
    for (const QString &line : results)
        std::printf("%s\n", qPrintable(line));
    return 0;
}
