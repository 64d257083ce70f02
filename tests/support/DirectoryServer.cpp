#include "DirectoryServer.h"

#include "TestFiles.h"

#include <httplib.h>

#include <QRegularExpression>
#include <QUrl>

#include <sys/prctl.h>

#include <csignal>

using namespace Qt::StringLiterals;

namespace quibo::test {

namespace {

constexpr int ProcessWaitMs = 20000;

// A server started by a test dies with it.
std::unique_ptr<QProcess> directoryProcess()
{
    auto process = std::make_unique<QProcess>();
    process->setProgram(qEnvironmentVariable("QUIBO_BIN_DIR") + u"/quibo-directory"_s);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    return process;
}

std::string encoded(const QString &value)
{
    return QUrl::toPercentEncoding(value).toStdString();
}

} // namespace

DirectoryServer::Finished DirectoryServer::run(const QStringList &arguments)
{
    const auto process = directoryProcess();
    process->setArguments(arguments);
    process->start();
    if (!process->waitForFinished(ProcessWaitMs)) {
        process->kill();
        process->waitForFinished();
        return {-1, u"did not finish"_s};
    }
    const int code = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
    return {code, QString::fromUtf8(process->readAll())};
}

DirectoryServer::DirectoryServer() : m_database(m_folder.filePath(u"directory.sqlite"_s))
{
}

DirectoryServer::DirectoryServer(QString database) : m_database(std::move(database))
{
}

DirectoryServer::~DirectoryServer()
{
    stop();
}

bool DirectoryServer::start(quint16 port, const QStringList &options)
{
    stop();
    m_process = directoryProcess();
    m_output.clear();
    // The server's default thread count: each thread serves one connection, and a client's
    // contact pass keeps several open at once.
    QStringList arguments{
        u"--listen"_s, u"%1:%2"_s.arg(m_host).arg(port), u"--database"_s, m_database, u"--threads"_s, u"16"_s};
    if (m_database.startsWith(u"postgres"_s) && !options.contains(u"--classic"_s))
        arguments << u"--state-dir"_s << m_folder.path();
    if (!m_namespace.isEmpty()) {
        arguments.prepend(m_process->program());
        arguments = QStringList{u"netns"_s, u"exec"_s, m_namespace} + arguments;
        m_process->setProgram(u"ip"_s);
    }
    m_process->setArguments(arguments + options);
    m_process->start();
    if (!m_process->waitForStarted(ProcessWaitMs)) {
        m_output = m_process->errorString();
        return false;
    }
    const QRegularExpression listening(u"listening on %1:(\\d+)"_s.arg(QRegularExpression::escape(m_host)));
    while (m_process->waitForReadyRead(ProcessWaitMs)) {
        m_output += QString::fromUtf8(m_process->readAll());
        if (const QRegularExpressionMatch match = listening.match(m_output); match.hasMatch()) {
            m_port = static_cast<quint16>(match.captured(1).toUInt());
            return true;
        }
    }
    m_output += QString::fromUtf8(m_process->readAll());
    return false;
}

int DirectoryServer::stop()
{
    if (!m_process)
        return -1;
    if (m_process->state() != QProcess::NotRunning) {
        thaw();
        m_process->terminate();
        if (!m_process->waitForFinished(ProcessWaitMs))
            kill();
    }
    m_output += QString::fromUtf8(m_process->readAll());
    const int code = m_process->exitStatus() == QProcess::NormalExit ? m_process->exitCode() : -1;
    m_process.reset();
    m_port = 0;
    return code;
}

void DirectoryServer::kill()
{
    if (!m_process)
        return;
    m_process->kill();
    m_process->waitForFinished(ProcessWaitMs);
}

bool DirectoryServer::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

void DirectoryServer::freeze()
{
    if (m_process && m_process->processId() > 0)
        ::kill(static_cast<pid_t>(m_process->processId()), SIGSTOP);
}

void DirectoryServer::thaw()
{
    if (m_process && m_process->processId() > 0)
        ::kill(static_cast<pid_t>(m_process->processId()), SIGCONT);
}

QString DirectoryServer::authority() const
{
    return u"%1:%2"_s.arg(m_host).arg(m_port);
}

DirectoryServer::Reply DirectoryServer::get(const QByteArray &target) const
{
    httplib::Client client(m_host.toStdString(), m_port);
    client.set_connection_timeout(std::chrono::seconds(5));
    client.set_read_timeout(std::chrono::seconds(10));
    const httplib::Result result = client.Get(target.toStdString());
    if (!result)
        return {};
    return {result->status, QByteArray::fromStdString(result->body),
            QByteArray::fromStdString(result->get_header_value("Content-Type"))};
}

bool DirectoryServer::registerUser(const QString &handle, const QString &password)
{
    return get(QByteArray::fromStdString("/ipinfo/register.cgi?id=" + encoded(handle) + "&password=" +
                                         encoded(password) + "&email=" + encoded(handle + u"@example.org"_s)))
        .body.startsWith("Registered");
}

bool DirectoryServer::publish(const QString &handle, const QString &address)
{
    return get(QByteArray::fromStdString("/ipadd/writeip.cgi?id=" + encoded(handle) +
                                         "&ip=" + encoded(address)))
        .body.startsWith("OK");
}

QString DirectoryServer::addressOf(const QString &handle) const
{
    const Reply reply = get(QByteArray::fromStdString("/ipadd/readit.cgi?id=" + encoded(handle)));
    return QString::fromUtf8(reply.body.split('\n').constFirst()).trimmed();
}

bool DirectoryServer::setBroadcast(const QByteArray &text)
{
    const QString file = m_folder.filePath(u"broadcast.txt"_s);
    if (!writeFile(file, text))
        return false;
    const Finished set = run({u"--database"_s, m_database, u"--set-broadcast"_s, file});
    m_output += set.output;
    return set.exitCode == 0;
}

} // namespace quibo::test
