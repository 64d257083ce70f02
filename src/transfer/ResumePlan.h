#pragma once

#include "base/Timings.h"

#include <QByteArray>
#include <QList>

#include <chrono>
#include <optional>
#include <utility>

namespace quibo::transfer {

// What a download holds of its file: the bytes on disk and the validator of the version they
// came from.
struct HeldPart {
    qint64 size = 0;
    QByteArray etag; // strong and quoted, as the server sent it; empty: the bytes cannot be checked
    // Without a tag (a part of an earlier offer): how many of the last bytes held are asked for
    // again, to be compared before anything is joined.
    qint64 overlap = 0;
};

using HeaderFields = QList<std::pair<QByteArray, QByteArray>>;

// The strong ETag of an answer's ETag field, or empty (none, or weak: If-Range never matches one).
QByteArray strongTag(const QByteArray &etagField);

// The fields that ask for the rest of `held`: Range from its end and If-Range with its tag, so
// that the server answers the whole file (200) when its version changed; without a tag, Range
// from its overlap. None when nothing is held, or nothing can be checked: the request is then for
// the whole file.
HeaderFields resumeFields(const HeldPart &held);

enum class ReplyUse {
    Append,    // 206 for exactly the rest of the held part (from its overlap)
    FromStart, // 200: the whole file, perhaps another version; what is held goes
    Refuse,    // not the file, or not the part asked for
};
// How the body of an answer to a request made with resumeFields(held) is used. `expectedSize` < 0
// accepts any total.
ReplyUse judgeReply(int status, const QByteArray &contentRange, const HeldPart &held, qint64 expectedSize);

// The pause before retry `attempt` (1 for the first) of a download lost `sinceLoss` ago: growing
// from Timings::downloadRetryPause, doubled each time up to downloadRetryLongestPause; nothing
// once the next try would start past Timings::downloadRetryWindow.
std::optional<std::chrono::milliseconds> retryPause(int attempt, std::chrono::milliseconds sinceLoss,
                                                    const Timings &timings);

} // namespace quibo::transfer
