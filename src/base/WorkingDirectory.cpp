#include "base/WorkingDirectory.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace quibo {

WorkingDirectory::WorkingDirectory(QDir work, QStringList installDirs)
    : m_work(std::move(work)), m_installDirs(std::move(installDirs))
{
}

QString WorkingDirectory::installedShareDir()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/quibo32"));
}

QStringList WorkingDirectory::defaultInstallDirs()
{
    return {QCoreApplication::applicationDirPath(), installedShareDir()};
}

QString WorkingDirectory::file(const QString &relativeName) const
{
    return m_work.absoluteFilePath(relativeName);
}

QString WorkingDirectory::findInstalled(const QString &name) const
{
    const QString local = file(name);
    if (QFileInfo(local).isFile())
        return local;
    for (const QString &dir : m_installDirs) {
        const QString candidate = QDir(dir).absoluteFilePath(name);
        if (QFileInfo(candidate).isFile())
            return QFileInfo(candidate).canonicalFilePath();
    }
    return {};
}

} // namespace quibo
