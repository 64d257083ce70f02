#pragma once

#include "FileVersion.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace quibo::web {

// How much of a file a GET or HEAD answers.
struct RangeChoice {
    enum class Kind {
        Whole,         // 200
        Part,          // 206 with Content-Range: bytes first-last/size
        Unsatisfiable, // 416 with Content-Range: bytes */size
    };
    Kind kind = Kind::Whole;
    qint64 first = 0; // for Part: the first byte and how many, never past the end
    qint64 length = 0;

    friend bool operator==(const RangeChoice &, const RangeChoice &) = default;
};

// A Range field value against a file of `size` bytes. One byte range ("bytes=N-", "bytes=N-M",
// "bytes=-K") is a Part, its end clipped to the file; one starting at or past the end, or an empty
// suffix, is Unsatisfiable. Several ranges are answered Whole, as the HTTP rules allow; another
// unit or anything malformed is ignored, so Whole too.
RangeChoice parseRange(QByteArrayView value, qint64 size);

// If-Range holds when it is the file's entity-tag (strong comparison: a weak one never holds)
// or exactly its Last-Modified, that date being strong.
bool ifRangeHolds(QByteArrayView value, const FileVersion &version);

// Range and If-Range together (nullopt: the field is absent): a Range whose If-Range does not
// hold is ignored, so a resumed download never joins two different files.
RangeChoice chooseRange(const std::optional<QByteArray> &range, const std::optional<QByteArray> &ifRange,
                        const FileVersion &version);

// "bytes 0-99/1000" for a Part, "bytes */1000" for Unsatisfiable.
QByteArray contentRange(const RangeChoice &choice, qint64 size);

} // namespace quibo::web
