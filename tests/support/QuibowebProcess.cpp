#include "QuibowebProcess.h"

#include "base/Lifeline.h"
#include "platform/Lifeline.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace quibo::test {

QuibowebProcess::QuibowebProcess(const QStringList &arguments, const QByteArray &tlsIdentity)
{
    const HandedBytes identity(tlsIdentity);
    m_process.setProcessEnvironment(identity.handedTo(QProcessEnvironment::systemEnvironment(), TlsIdentityVariable));
    m_process.start(qEnvironmentVariable("QUIBO_BIN_DIR") + QStringLiteral("/quiboweb"), arguments);
    m_process.waitForStarted();
}

QuibowebProcess::~QuibowebProcess()
{
    m_process.kill();
    m_process.waitForFinished();
}

void QuibowebProcess::collect()
{
    m_output += m_process.readAllStandardOutput();
    m_errorOutput += m_process.readAllStandardError();
}

bool QuibowebProcess::waitFor(const QByteArray &text, const QByteArray &in)
{
    const QDeadlineTimer deadline(std::chrono::seconds(10));
    for (collect(); !in.contains(text); collect()) {
        if (!isRunning() || deadline.hasExpired())
            return false;
        m_process.waitForReadyRead(50);
    }
    return true;
}

bool QuibowebProcess::waitForExit(std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    while (isRunning() && !deadline.hasExpired()) {
        QCoreApplication::processEvents();
        m_process.waitForFinished(20);
    }
    collect();
    return !isRunning();
}

} // namespace quibo::test
