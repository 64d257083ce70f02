#pragma once

#include <QString>
#include <QStringList>

namespace quibo::web {

struct FoundFile {
    int status = 404; // 200 when found
    QString path;     // canonical, for status 200
};

// The regular file `segments` names below `root`, following symlinks only as far as they stay
// inside the root: a link leading out is 403. Missing files, folders and anything that is not a
// regular file are 404. The root is resolved per call, so it may appear after the server starts.
FoundFile lookUpFile(const QString &root, const QStringList &segments);

} // namespace quibo::web
