#include "CommandLine.h"
#include "DatabaseLocation.h"
#include "DirectoryRules.h"
#include "DirectoryService.h"
#include "HttpFrontEnd.h"
#include "PgDirectoryStore.h"
#include "SqlConnections.h"
#include "SqlDirectoryStore.h"
#include "TlsIdentity.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <pthread.h>
#include <sched.h>
#include <signal.h>

#include <cstdio>
#include <memory>
#include <thread>

using namespace Qt::StringLiterals;
using namespace quibo::directory;

namespace {

void say(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

int fail(const QString &text)
{
    say(stderr, u"quibo-directory: "_s + text);
    return 1;
}

sigset_t stopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

// A worker woken by a request or a database reply then waits for the program that woke it,
// which is about to sleep anyway, instead of preempting it: a context switch less per
// round trip. Threads started later inherit it; where it is refused, nothing changes. The
// service starts with it already, and need not make a call its sandbox may forbid.
void batchScheduling()
{
    if (sched_getscheduler(0) == SCHED_BATCH)
        return;
    const sched_param parameters{};
    sched_setscheduler(0, SCHED_BATCH, &parameters);
}

int setBroadcast(DirectoryStore &store, const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(u"cannot read %1: %2"_s.arg(fileName, file.errorString()));
    const auto message = broadcastFromFile(file.readAll());
    if (const auto *error = std::get_if<BroadcastError>(&message))
        return fail(u"cannot use %1 as the broadcast message: %2"_s.arg(fileName, error->message));
    store.setBroadcast(std::get<QString>(message));
    say(stdout, u"Broadcast message set."_s);
    return 0;
}

// The certificate the operator gave, or the one the server made itself.
std::variant<TlsContext, QString> tlsContext(const CommandLine &line, const DatabaseLocation &where)
{
    TlsFiles files{line.tlsCertificate, line.tlsKey};
    if (files.certificate.isEmpty()) {
        QString folder = line.stateFolder;
        if (folder.isEmpty())
            folder = where.kind == DatabaseLocation::Kind::Sqlite ? QFileInfo(where.sqlitePath).absolutePath()
                                                                   : QDir::currentPath();
        const auto made = ensureSelfMade(folder);
        if (const auto *error = std::get_if<QString>(&made))
            return *error;
        files = std::get<TlsFiles>(made);
    }
    const auto identity = readIdentity(files.certificate, files.key);
    if (const auto *error = std::get_if<QString>(&identity))
        return *error;
    say(stdout, u"quibo-directory: TLS certificate %1, key fingerprint %2"_s.arg(
                    files.certificate,
                    QString::fromLatin1(keyFingerprint(std::get<TlsIdentity>(identity).certificate.get()))));
    return serverContext(std::get<TlsIdentity>(identity));
}

int serve(DirectoryStore &store, const CommandLine &line, const DatabaseLocation &where)
{
    const auto tls = tlsContext(line, where);
    if (const auto *error = std::get_if<QString>(&tls))
        return fail(u"cannot serve TLS: "_s + *error);
    QFile bannerFile(u":/quibo-directory/banner.png"_s);
    const QByteArray banner = bannerFile.open(QIODevice::ReadOnly) ? bannerFile.readAll() : QByteArray();
    const DirectoryService service(store, banner, line.secureOnly);
    HttpFrontEnd frontEnd(service, std::get<TlsContext>(tls).get(), line.threads,
                          [&store] { store.closeThreadConnection(); });
    const auto bound = frontEnd.bind(line.host, line.port);
    if (const auto *problem = std::get_if<QString>(&bound))
        return fail(*problem);
    if (!line.httpsHost.isEmpty()) {
        const auto boundTls = frontEnd.bindTlsOnly(line.httpsHost, line.httpsPort);
        if (const auto *problem = std::get_if<QString>(&boundTls))
            return fail(*problem);
        say(stdout, u"quibo-directory: TLS alone on %1:%2"_s.arg(line.httpsHost).arg(std::get<quint16>(boundTls)));
    }

    // SIGINT and SIGTERM are blocked in every thread and taken here, so that stopping
    // happens outside a signal handler.
    std::thread signalWaiter([&frontEnd] {
        const sigset_t set = stopSignals();
        int received = 0;
        sigwait(&set, &received);
        frontEnd.stop();
    });
    say(stdout, u"quibo-directory: listening on %1:%2, database %3"_s.arg(line.host)
                    .arg(std::get<quint16>(bound))
                    .arg(where.describe()));
    const bool ok = frontEnd.run();
    // Wakes the waiter when serving ended by itself.
    pthread_kill(signalWaiter.native_handle(), SIGTERM);
    signalWaiter.join();
    say(stdout, u"quibo-directory: stopped"_s);
    return ok ? 0 : fail(u"serving stopped after an error"_s);
}

} // namespace

int main(int argc, char *argv[])
{
    // Before any other thread exists, so that every thread inherits the mask and the policy.
    batchScheduling();
    const sigset_t blocked = stopSignals();
    pthread_sigmask(SIG_BLOCK, &blocked, nullptr);
    // A client that leaves in the middle of a TLS reply must not end the server.
    signal(SIGPIPE, SIG_IGN);

    QCoreApplication app(argc, argv);
    const auto parsed = parseCommandLine(app.arguments().mid(1));
    if (const auto *error = std::get_if<CommandLineError>(&parsed)) {
        say(stderr, u"quibo-directory: "_s + error->message + u"\nTry \"quibo-directory --help\"."_s);
        return 2;
    }
    const CommandLine &line = std::get<CommandLine>(parsed);
    if (line.action == CommandLine::Action::Help) {
        std::fputs(helpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (line.action == CommandLine::Action::Version) {
        std::fputs("quibo-directory " QUIBO_VERSION "\n", stdout);
        return 0;
    }
    const auto location = parseDatabaseLocation(line.database);
    if (const auto *error = std::get_if<LocationError>(&location)) {
        say(stderr, u"quibo-directory: "_s + error->message + u"\nTry \"quibo-directory --help\"."_s);
        return 2;
    }
    const QString databaseName = std::get<DatabaseLocation>(location).describe();

    configureSqliteLibrary();
    const DatabaseLocation &where = std::get<DatabaseLocation>(location);
    std::unique_ptr<DirectoryStore> owned;
    if (where.kind == DatabaseLocation::Kind::Postgres)
        owned = std::make_unique<PgDirectoryStore>(where);
    else
        owned = std::make_unique<SqlDirectoryStore>(where);
    DirectoryStore &store = *owned;
    try {
        store.prepare();
        switch (line.action) {
        case CommandLine::Action::SetBroadcast:
            return setBroadcast(store, line.broadcastFile);
        case CommandLine::Action::ClearBroadcast:
            store.setBroadcast(std::nullopt);
            say(stdout, u"Broadcast message cleared."_s);
            return 0;
        default:
            return serve(store, line, where);
        }
    } catch (const StoreError &error) {
        return fail(u"cannot use the database %1: %2"_s.arg(databaseName, error.message()));
    }
}
