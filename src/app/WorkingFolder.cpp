#include "app/WorkingFolder.h"

#include "contacts/ContactsFile.h"
#include "directory/WorkingFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace quibo {

bool holdsWorkingSet(const QString &folder)
{
    const QDir dir(folder);
    return QFileInfo(dir.filePath(contacts_file::FileName)).isFile() ||
           QFileInfo(dir.filePath(working_files::UserInfo)).isFile();
}

QString chooseWorkingFolder(const QString &named, const QString &current, const QString &dataHome)
{
    if (!named.isEmpty())
        return QDir(named).absolutePath();
    if (holdsWorkingSet(current))
        return QDir(current).absolutePath();
    return dataHome;
}

QString defaultDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/quibo32");
}

bool seedWorkingFolder(const QString &folder, const QString &installedFiles)
{
    if (QFileInfo::exists(folder))
        return QFileInfo(folder).isDir();
    // Filled beside the target and renamed, so an interrupted first start is not taken for
    // a finished one.
    const QString part = folder + QStringLiteral(".part");
    QDir(part).removeRecursively();
    if (!QDir().mkpath(part))
        return false;
    const QDir source(installedFiles);
    for (const QString &name : source.entryList(QDir::Files)) {
        if (!QFile::copy(source.filePath(name), QDir(part).filePath(name)))
            return false;
        QFile(QDir(part).filePath(name))
            .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    return QDir().rename(part, folder);
}

} // namespace quibo
