#include "WebServerProcess.h"

#include <QDeadlineTimer>

namespace quibo::test {

bool WebServerProcess::start(const QString &root, const QString &address, quint16 port)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(qEnvironmentVariable("QUIBO_BIN_DIR") + QStringLiteral("/quiboweb"),
                    {QStringLiteral("--headless"), QStringLiteral("--root"), root, QStringLiteral("--listen"),
                     QStringLiteral("%1:%2").arg(address).arg(port)});
    const QDeadlineTimer deadline(10000);
    while (m_process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        m_process.waitForReadyRead(50);
        m_output += QString::fromUtf8(m_process.readAll());
        if (m_output.contains(QStringLiteral("Serving")))
            return true;
    }
    return false;
}

void WebServerProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished();
}

} // namespace quibo::test
