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
    QProcess::startDetached(program, arguments, workingDirectory);
}

} // namespace quibo
