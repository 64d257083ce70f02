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
};

using HeaderFields = QList<std::pair<QByteArray, QByteArray>>;

// The strong ETag of an answer's ETag field, or empty (none, or weak: If-Range never matches one).
QByteArray strongTag(const QByteArray &etagField);

// The fields that ask for the rest of `held`: Range from its end and If-Range with its tag, so
// that the server answers the whole file (200) when its version changed. None when nothing is
// held, or nothing can be checked: the request is then for the whole file.
HeaderFields resumeFields(const HeldPart &held);

enum class ReplyUse {
    Append,    // 206 for exactly the rest of the held part
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
