#include "RealClient.h"

#include "TestFiles.h"

#include <QDirIterator>

#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quibo::test {

RealClient::RealClient(Setup setup) : m_setup(std::move(setup))
{
    const QDir dir(m_folder.path());
    writeFile(dir.filePath(QStringLiteral("settings")), m_setup.handle.toUtf8() + "\r\n");
    writeFile(dir.filePath(QStringLiteral("userinfo.dat")), "pw\r\nAnn\r\nSmith\r\nann@example.org\r\n");
    writeFile(dir.filePath(QStringLiteral("contacts.dat")),
              m_setup.contacts.join(QStringLiteral("\r\n")).toUtf8());
    writeFile(dir.filePath(QStringLiteral("html/index.htm")), "<html>page</html>");
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

RealClient::~RealClient()
{
    if (!ended()) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

bool RealClient::start(bool connect)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_folder.path());
    env.insert(QStringLiteral("QUIBO_DIRECTORY"), m_setup.directory);
    env.insert(QStringLiteral("QUIBO_ADDRESS"), m_setup.address);
    env.insert(QStringLiteral("QUIBO_PORTS"), QStringLiteral("%1,%2,%3,%4")
                                                  .arg(m_setup.peerPort)
                                                  .arg(freeLoopbackPort())
                                                  .arg(freeLoopbackPort())
                                                  .arg(m_setup.webPort));
    m_process.setProcessEnvironment(env);
    QStringList arguments{QStringLiteral("--folder"), m_folder.path()};
    if (connect)
        arguments.append(QStringLiteral("--connect"));
    m_process.start(qEnvironmentVariable("QUIBO_BIN_DIR") + QStringLiteral("/quibo32"), arguments);
    return m_process.waitForStarted();
}

bool RealClient::handlesEndSignals() const
{
    // SigCgt: the signals the process catches, as a hexadecimal mask of bit (number - 1).
    const QByteArray status = readFile(QStringLiteral("/proc/%1/status").arg(m_process.processId()));
    for (const QByteArray &line : status.split('\n')) {
        if (!line.startsWith("SigCgt:"))
            continue;
        const qulonglong caught = line.mid(7).trimmed().toULongLong(nullptr, 16);
        const qulonglong wanted = (1ULL << (SIGTERM - 1)) | (1ULL << (SIGINT - 1)) | (1ULL << (SIGHUP - 1));
        return (caught & wanted) == wanted;
    }
    return false;
}

void RealClient::signal(int number) const
{
    ::kill(static_cast<pid_t>(m_process.processId()), number);
}

bool RealClient::webServerAccepts() const
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_setup.webPort);
    address.sin_addr.s_addr = htonl(QHostAddress(m_setup.address).toIPv4Address());
    const bool accepted = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return accepted;
}

bool RealClient::webServerRunning() const
{
    const QByteArray listen = QStringLiteral("%1:%2").arg(m_setup.address).arg(m_setup.webPort).toUtf8();
    QDirIterator processes(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (processes.hasNext()) {
        const QList<QByteArray> arguments =
            readFile(processes.next() + QStringLiteral("/cmdline")).split('\0');
        if (arguments.constFirst().endsWith("/quiboweb") && arguments.contains(listen))
            return true;
    }
    return false;
}

} // namespace quibo::test
