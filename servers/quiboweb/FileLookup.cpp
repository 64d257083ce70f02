#include "FileLookup.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace quibo::web {

FoundFile lookUpFile(const QString &root, const QStringList &segments)
{
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    if (canonicalRoot.isEmpty() || segments.isEmpty())
        return {};
    // Joined by hand: QDir::filePath() would let an absolute segment replace the root.
    const QString canonical = QFileInfo(canonicalRoot + u'/' + segments.join(u'/')).canonicalFilePath();
    if (canonical.isEmpty())
        return {}; // missing, or a dangling link
    const QString inside = canonicalRoot.endsWith(u'/') ? canonicalRoot : canonicalRoot + u'/';
    if (!canonical.startsWith(inside))
        return {403, {}};
    struct stat info {};
    if (::stat(QFile::encodeName(canonical).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    return {200, canonical};
}

} // namespace quibo::web
