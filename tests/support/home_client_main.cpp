// A client in a process of its own, for tests that put clients in different network namespaces
// (a socket belongs to the namespace of the thread that makes it). A real Client with the
// scripted user, its quiboweb beside it; it logs on at once and is driven by lines on stdin:
//
//   send HANDLE TEXT   a message          host           hosts a channel
//   join HANDLE        joins its channel  channel TEXT   a line in the channel window
//   private HANDLE     asks for a chat    say TEXT       a line in the private chat window
//   offer HANDLE PATH  offers a file      logoff         ends as Exit does (SIGTERM too)
//
// and prints what the user sees as lines on stdout: "status|...", "online|a,b", "ready",
// "address|PUBLISHED", "message|line1|line2", "received|FROM|TEXT", "channel|ROW", "private|...",
// "transfer|...", "done|COMMAND" once a command's task has ended, and "ended" last. Every wait is the
// client's own, from Timings, so it never hangs.
//
//   quibo_home_client --directory HOST:PORT --address A --ports P,C,PC,W --handle H
//                     --password PW --contacts A,B --inbox FOLDER --keys FOLDER
//
// The user's key and the directory's pin are kept in the --keys folder from one run to the next,
// as a user's working folder keeps them.

#include "PeerNetwork.h"

#include "base/Lifeline.h"
#include "directory/LocalWebServer.h"
#include "platform/EndSignals.h"
#include "platform/Lifeline.h"

#include <QAbstractEventDispatcher>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <vector>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

void say(const QString &line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

// The client's local web server, serving its "html" in this namespace with the user's key, as
// the client starts it; it dies with us.
pid_t startWeb(const QString &root, const QString &listen, const QByteArray &tlsIdentity)
{
    const HandedBytes identity(tlsIdentity);
    const QString variable = QString::fromLatin1(TlsIdentityVariable);
    const QByteArray identityFd = identity.handedTo({}, TlsIdentityVariable).value(variable).toLatin1();
    const QByteArray program = qgetenv("QUIBO_BIN_DIR") + "/quiboweb";
    const QByteArray rootArg = QFile::encodeName(root), listenArg = listen.toLatin1();
    std::vector<const char *> argv{program.constData(), "--headless",          "--root", rootArg.constData(),
                                   "--listen",          listenArg.constData(), nullptr};
    const pid_t child = ::fork();
    if (child == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (!identityFd.isEmpty())
            ::setenv(TlsIdentityVariable, identityFd.constData(), 1);
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDOUT_FILENO);
        ::dup2(quiet, STDERR_FILENO);
        ::execv(argv[0], const_cast<char *const *>(argv.data()));
        ::_exit(127);
    }
    return child;
}

// What the scripted user saw, printed once each.
class Watcher {
public:
    Watcher(TestClient &c, std::function<void()> loggedOn) : m_c(c), m_loggedOn(std::move(loggedOn)) {}
    void flush()
    {
        if (m_c.mainWindow.status != m_status)
            say(u"status|"_s + (m_status = m_c.mainWindow.status));
        if (m_c.client->logon().publishedAddress != m_address)
            say(u"address|"_s + (m_address = m_c.client->logon().publishedAddress));
        if (const QString online = m_c.mainWindow.items.join(u','); online != m_online)
            say(u"online|"_s + (m_online = online));
        if (!m_ready && m_c.client->logon().contactsResolved) {
            m_ready = true;
            m_loggedOn();
            say(u"ready"_s);
        }
        printNew(m_c.ui.log, m_ui, {});
        printNew(m_c.messages.log, m_messages, {});
        printNew(m_c.privateChat.log, m_private, u"private|"_s);
        printNew(m_c.transfer.log, m_transfer, u"transfer|"_s);
        for (qsizetype i = 0; i < m_c.channel.windows.size(); ++i) {
            m_channelRows.resize(m_c.channel.windows.size());
            printNew(m_c.channel.windows[i]->rows, m_channelRows[i], u"channel|"_s);
        }
    }

private:
    static void printNew(const QStringList &log, qsizetype &printed, const QString &prefix)
    {
        for (; printed < log.size(); ++printed)
            say(prefix + log[printed]);
    }
    TestClient &m_c;
    std::function<void()> m_loggedOn;
    QString m_status, m_online, m_address;
    bool m_ready = false;
    qsizetype m_ui = 0, m_messages = 0, m_private = 0, m_transfer = 0;
    QList<qsizetype> m_channelRows;
};

class Driver : public QObject {
public:
    explicit Driver(TestClient &c) : m_c(c) {}

    void command(const QString &line)
    {
        const QString verb = line.section(u' ', 0, 0), rest = line.section(u' ', 1);
        const QString handle = rest.section(u' ', 0, 0), text = rest.section(u' ', 1);
        Client &client = *m_c.client;
        if (verb == u"logoff") {
            client.requestEnd();
            return;
        }
        if (verb == u"channel" || verb == u"say") {
            const auto window = verb == u"channel"                  ? m_c.channel.last()
                                : m_c.privateChat.windows.isEmpty() ? nullptr
                                                                    : m_c.privateChat.windows.last();
            if (window)
                window->say(rest);
            say(u"done|"_s + line);
            return;
        }
        // As the user would: the main window's items and commands, each waited for until the
        // window's task is idle again.
        if (verb == u"host") {
            choose(m_c, Command::HostChannel);
            say(u"done|"_s + line);
            return;
        }
        const bool known = client.contacts().FindContactByHandle(handle).has_value();
        if (known)
            selectContact(m_c, handle); // a click on its item, when listed
        if (verb == u"send") {
            m_c.messages.sendScript = {{ScriptedMessages::Step::Send, text}};
            if (known)
                doubleClickContact(m_c, handle);
            else
                choose(m_c, Command::SendMessage);
        } else if (verb == u"join") {
            choose(m_c, Command::JoinChannel);
        } else if (verb == u"private") {
            choose(m_c, Command::PrivateChat);
        } else if (verb == u"offer") {
            m_c.transfer.filesToSend = {text};
            choose(m_c, Command::SendFile);
        } else {
            say(u"unknown|"_s + line);
            return;
        }
        say(u"done|"_s + line);
    }

private:
    TestClient &m_c;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    for (const char *name :
         {"directory", "address", "ports", "handle", "password", "contacts", "inbox", "keys"})
        parser.addOption({QString::fromLatin1(name), {}, u"value"_s});
    parser.process(app);

    Config config;
    config.setDirectory(parser.value(u"directory"_s));
    config.ownAddressOverride = parser.value(u"address"_s);
    config.listenAddress = QHostAddress(config.ownAddressOverride);
    config.setPorts(parser.value(u"ports"_s));
    // Loopback's short waits, with the lab's patience for the directory and the router.
    Timings timings = peerTimings();
    timings.httpTimeout = timings.tlsHandshake = 5s;
    timings.portMappingDiscovery = 500ms;
    timings.portMappingAnswer = timings.portMappingFarewell = 30s;
    timings.portMappingLease = 4s; // a renewal every two seconds
    TestClient c(config, timings);
    const QString handle = parser.value(u"handle"_s);
    writeFile(c.dir.filePath(u"settings"_s), handle.toUtf8() + "\r\n");
    writeFile(c.dir.filePath(u"userinfo.dat"_s), parser.value(u"password"_s).toUtf8() + "\r\n" +
                                                     handle.toUtf8() + "\r\nSmith\r\nx@example.org\r\n");
    writeFile(c.dir.filePath(u"contacts.dat"_s),
              parser.value(u"contacts"_s).replace(u',', u"\r\n"_s).toUtf8() + "\r\n");
    QDir(c.dir.path()).mkpath(u"html/tmp"_s);
    const QDir keys(parser.value(u"keys"_s)), work(c.dir.path());
    const QStringList kept{u"quibo32.key"_s, u"quibo32.crt"_s, u"directory.pins"_s};
    const auto keep = [&kept](const QDir &from, const QDir &to) {
        for (const QString &name : kept) {
            QFile::remove(to.filePath(name));
            QFile::copy(from.filePath(name), to.filePath(name));
        }
    };
    keep(keys, work);
    c.transfer.saveFolder = parser.value(u"inbox"_s);
    // The user says yes to everything asked.
    for (int i = 0; i < 20; ++i) {
        c.transfer.receiveAnswers.append(true);
        c.transfer.saveAnswers.append(true);
        c.privateChat.answers.append(true);
    }
    const QString &own = config.ownAddressOverride;
    startWeb(c.dir.filePath(u"html"_s),
             u"%1:%2"_s.arg(own.contains(u':') ? u'[' + own + u']' : own).arg(config.webPort),
             LocalWebServer::tlsIdentity(c.workDir()));

    Watcher watcher(c, [&] { keep(work, keys); });
    QObject::connect(QCoreApplication::eventDispatcher(), &QAbstractEventDispatcher::aboutToBlock, &app, [&] {
        watcher.flush();
        if (c.process.ended()) {
            say(u"ended"_s);
            QCoreApplication::exit(0);
        }
    });
    Driver driver(c);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        std::array<char, 4096> buffer{};
        const ssize_t got = ::read(STDIN_FILENO, buffer.data(), buffer.size());
        if (got <= 0) {
            input.setEnabled(false); // the test has gone: end as a signal would
            c.client->requestEnd();
            return;
        }
        pending.append(buffer.data(), got);
        for (qsizetype end = 0; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1))
            driver.command(QString::fromUtf8(pending.left(end)));
    });
    EndSignals signals_;
    QObject::connect(&signals_, &EndSignals::endRequested, c.client.get(), &Client::requestEnd);

    c.client->start();
    c.ui.connectView->clickConnect();
    return QCoreApplication::exec();
}
