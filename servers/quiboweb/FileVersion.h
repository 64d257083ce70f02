#pragma once

#include <QByteArray>

#include <optional>

namespace quibo::web {

// What tells one version of a served file from another.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0; // since the epoch
};

// The validators a file is answered with.
struct FileVersion {
    qint64 size = 0;
    QByteArray etag;         // strong and quoted: a replaced or changed file gets another one
    QByteArray lastModified; // IMF-fixdate
    // The date alone tells versions apart only when the file was not changed within the second
    // before it was described: two changes in one second share one Last-Modified.
    bool lastModifiedIsStrong = false;
};

FileVersion describeFile(const FileIdentity &file, qint64 nowNs);

// An IMF-fixdate ("Sun, 06 Nov 1994 08:49:37 GMT"), written without the locale.
QByteArray httpDate(qint64 secondsSinceEpoch);

// True when If-None-Match (weak comparison, or "*") or, without it, If-Modified-Since equal to
// Last-Modified says the client's copy is current: a 304. Nothing is parsed beyond that, so any
// other date only costs a whole answer.
bool isNotModified(const std::optional<QByteArray> &ifNoneMatch, const std::optional<QByteArray> &ifModifiedSince,
                   const FileVersion &version);

} // namespace quibo::web
