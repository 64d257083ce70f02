#include "platform/widgets/DesktopShell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace quibo {

void DesktopShell::openDocument(const QString &absolutePath)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(absolutePath));
}

void DesktopShell::startProgram(const QString &program, const QStringList &arguments,
                                const QString &workingDirectory)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(workingDirectory);
    process.setProcessEnvironment(m_lifeline.handedTo(QProcessEnvironment::systemEnvironment()));
    const Lifeline::Inherited inherited(m_lifeline);
    process.startDetached();
}

} // namespace quibo
