#include "platform/widgets/DesktopShell.h"

#include "base/Lifeline.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace quibo {

void DesktopShell::openDocument(const QString &absolutePath)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(absolutePath));
}

void DesktopShell::startProgram(const QString &program, const QStringList &arguments,
                                const QString &workingDirectory, const QByteArray &tlsIdentity)
{
    const HandedBytes identity(tlsIdentity);
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(workingDirectory);
    process.setProcessEnvironment(
        identity.handedTo(m_lifeline.handedTo(QProcessEnvironment::systemEnvironment()), TlsIdentityVariable));
    const Lifeline::Inherited inherited(m_lifeline);
    process.startDetached();
}

} // namespace quibo
