#include "directory/WorkingFiles.h"

#include "base/AtomicFile.h"
#include "base/WorkingDirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quibo {

std::optional<QByteArray> readWorkingFile(const WorkingDirectory &dir, const QString &name)
{
    QFile file(dir.file(name));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

void narrowPrivateFiles(const WorkingDirectory &dir)
{
    for (const QString &name : {working_files::UserInfo, working_files::Settings}) {
        if (!narrowToOwner(dir.file(name)))
            qWarning("quibo32: others may still read %s", qUtf8Printable(dir.file(name)));
    }
}

bool writeSettingsFile(const WorkingDirectory &dir, const QString &handle)
{
    return writeFileAtomically(dir.file(working_files::Settings), handle.toUtf8() + "\r\n",
                               OwnerOnly);
}

namespace {

// Puts a copy of `source` at `target`, replacing it; the target is never left half written.
bool copyReplacing(const QString &source, const QString &target)
{
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(source, part))
        return false;
    QFile::remove(target);
    return QFile::rename(part, target);
}

} // namespace

bool prepareFirstRun(const WorkingDirectory &dir)
{
    using namespace working_files;
    bool ok = QDir().mkpath(dir.file(OfferDir));
    const QString local = dir.file(Background);
    const QString source = dir.findInstalled(Background);
    if (source.isEmpty())
        return false;
    if (!copyReplacing(source, dir.file(HtmlDir + u'/' + Background)))
        return false;
    if (source == local)
        ok = QFile::remove(local) && ok;
    return ok;
}

std::optional<QString> offeredFilePath(const WorkingDirectory &dir, const QString &name)
{
    if (name.isEmpty() || name == u"." || name == u".." || name.contains(u'/') || name.contains(u'\\') ||
        name.contains(QChar(0)))
        return std::nullopt;
    return QDir(dir.file(working_files::OfferDir)).absoluteFilePath(name);
}

} // namespace quibo
