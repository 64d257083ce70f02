#include "DirectoryProcess.h"

#include <QRegularExpression>
#include <QUrl>

#include <sys/prctl.h>

#include <chrono>
#include <csignal>

using namespace Qt::StringLiterals;

namespace {

constexpr int startTimeoutMs = 20000;

// A server outlives nothing: if the test process dies, so does it.
void startWithTest(QProcess &process)
{
    process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

} // namespace

QString directoryBinary()
{
    return qEnvironmentVariable("QUIBO_BIN_DIR") + u"/quibo-directory"_s;
}

DirectoryProcess::DirectoryProcess(QString database) : m_database(std::move(database))
{
}

DirectoryProcess::~DirectoryProcess()
{
    if (m_process && m_process->state() != QProcess::NotRunning)
        killHard();
}

bool DirectoryProcess::start()
{
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    startWithTest(*m_process);
    m_output.clear();
    m_port = 0;
    m_process->start(directoryBinary(), {u"--listen"_s, u"127.0.0.1:0"_s, u"--database"_s, m_database});
    if (!m_process->waitForStarted(startTimeoutMs)) {
        m_output = m_process->errorString();
        return false;
    }
    static const QRegularExpression listening(u"listening on 127\\.0\\.0\\.1:(\\d+)"_s);
    while (m_process->waitForReadyRead(startTimeoutMs)) {
        m_output += QString::fromUtf8(m_process->readAll());
        const QRegularExpressionMatch match = listening.match(m_output);
        if (match.hasMatch()) {
            m_port = static_cast<quint16>(match.captured(1).toUInt());
            return true;
        }
    }
    m_output += QString::fromUtf8(m_process->readAll());
    return false;
}

void DirectoryProcess::killHard()
{
    m_process->kill();
    m_process->waitForFinished(startTimeoutMs);
}

int DirectoryProcess::stop()
{
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(startTimeoutMs))
            return -1;
    }
    m_output += QString::fromUtf8(m_process->readAll());
    return m_process->exitStatus() == QProcess::NormalExit ? m_process->exitCode() : -1;
}

httplib::Result DirectoryProcess::get(const std::string &target) const
{
    httplib::Client client("127.0.0.1", m_port);
    client.set_connection_timeout(std::chrono::seconds(5));
    client.set_read_timeout(std::chrono::seconds(10));
    return client.Get(target.c_str());
}

Finished runDirectory(const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    startWithTest(process);
    process.start(directoryBinary(), arguments);
    Finished finished;
    if (!process.waitForFinished(startTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        finished.output = u"did not finish"_s;
        return finished;
    }
    finished.output = QString::fromUtf8(process.readAll());
    finished.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return finished;
}

std::string encoded(const std::string &text)
{
    return QUrl::toPercentEncoding(QString::fromStdString(text)).toStdString();
}
