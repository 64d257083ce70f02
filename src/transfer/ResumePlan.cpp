#include "transfer/ResumePlan.h"

#include <algorithm>

namespace quibo::transfer {

namespace {
// "bytes first-last/total" with plain digits; nothing for "*" or anything else.
struct ContentRange {
    qint64 first, last, total;
};
std::optional<ContentRange> parseContentRange(const QByteArray &field)
{
    const QByteArray value = field.trimmed();
    if (!value.startsWith("bytes "))
        return std::nullopt;
    const QByteArray rest = value.mid(6).trimmed();
    const qsizetype dash = rest.indexOf('-');
    const qsizetype slash = rest.indexOf('/');
    if (dash <= 0 || slash <= dash + 1)
        return std::nullopt;
    const auto number = [](const QByteArray &digits) -> std::optional<qint64> {
        if (digits.isEmpty() || digits.size() > 18 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        return digits.toLongLong();
    };
    const auto first = number(rest.left(dash));
    const auto last = number(rest.mid(dash + 1, slash - dash - 1));
    const auto total = number(rest.mid(slash + 1));
    if (!first || !last || !total || *first > *last || *last >= *total)
        return std::nullopt;
    return ContentRange{*first, *last, *total};
}
} // namespace

QByteArray strongTag(const QByteArray &etagField)
{
    const QByteArray tag = etagField.trimmed();
    if (tag.size() < 2 || !tag.startsWith('"') || !tag.endsWith('"') || tag.count('"') != 2)
        return {};
    return tag;
}

HeaderFields resumeFields(const HeldPart &held)
{
    if (held.size <= 0)
        return {};
    if (!strongTag(held.etag).isEmpty())
        return {{"Range", "bytes=" + QByteArray::number(held.size) + '-'}, {"If-Range", held.etag}};
    if (held.overlap > 0 && held.overlap <= held.size)
        return {{"Range", "bytes=" + QByteArray::number(held.size - held.overlap) + '-'}};
    return {};
}

ReplyUse judgeReply(int status, const QByteArray &contentRange, const HeldPart &held, qint64 expectedSize)
{
    if (status == 200)
        return ReplyUse::FromStart;
    if (status != 206 || resumeFields(held).isEmpty())
        return ReplyUse::Refuse; // a range never asked for is never joined
    const std::optional<ContentRange> range = parseContentRange(contentRange);
    const qint64 first = strongTag(held.etag).isEmpty() ? held.size - held.overlap : held.size;
    if (!range || range->first != first || range->last != range->total - 1 ||
        (expectedSize >= 0 && range->total != expectedSize))
        return ReplyUse::Refuse;
    return ReplyUse::Append;
}

std::optional<std::chrono::milliseconds> retryPause(int attempt, std::chrono::milliseconds sinceLoss,
                                                    const Timings &timings)
{
    using std::chrono::milliseconds;
    milliseconds pause = timings.downloadRetryPause;
    for (int i = 1; i < attempt && pause < timings.downloadRetryLongestPause; ++i)
        pause *= 2;
    pause = std::min(pause, timings.downloadRetryLongestPause);
    if (sinceLoss + pause > timings.downloadRetryWindow)
        return std::nullopt;
    return pause;
}

} // namespace quibo::transfer
