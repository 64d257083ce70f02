#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quibo::web {

// The request line with raw spaces inside its target ("GET /tmp/my file.txt HTTP/1.1", as older
// clients send file names) percent-encoded, so the HTTP parser sees three parts. Any other line is
// returned unchanged. `line` includes its line end.
QByteArray repairRequestLine(const QByteArray &line);

// The file a request target names, as path segments below the served folder.
struct TargetPath {
    int status = 200; // anything else: refuse the request with this status
    QStringList segments;
};

// Percent-decodes the path of a request target and splits it. Refuses (400) whatever could leave
// the folder or is ambiguous: "." or ".." segments, backslashes, control characters, a target that
// is not an absolute path ("http://...", "//host/..."), bad escapes. "/" means "/index.htm"; a
// folder ("/tmp/") is 404.
TargetPath parseRequestTarget(const QByteArray &target);

// The Content-Type for a served file, by its suffix.
QByteArray contentTypeFor(const QString &fileName);

} // namespace quibo::web
