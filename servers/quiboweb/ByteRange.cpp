#include "ByteRange.h"

#include "RequestHead.h"

#include <QList>

#include <algorithm>
#include <limits>

namespace quibo::web {

namespace {

constexpr qint64 Unbounded = std::numeric_limits<qint64>::max();

// 1*DIGIT, saturating: a position past any file is past this one.
std::optional<qint64> parsePosition(QByteArrayView digits)
{
    if (digits.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const int digit = c - '0';
        value = value > (Unbounded - digit) / 10 ? Unbounded : value * 10 + digit;
    }
    return value;
}

// One range-spec: first-pos "-" [last-pos], or "-" suffix-length (first is then nullopt).
struct RangeSpec {
    std::optional<qint64> first;
    qint64 last = Unbounded; // or the suffix length
};

std::optional<RangeSpec> parseRangeSpec(QByteArrayView spec)
{
    const qsizetype dash = spec.indexOf('-');
    if (dash < 0)
        return std::nullopt;
    const QByteArrayView before = spec.first(dash);
    const QByteArrayView after = spec.sliced(dash + 1);
    if (before.isEmpty()) {
        const std::optional<qint64> suffix = parsePosition(after);
        return suffix ? std::optional(RangeSpec{std::nullopt, *suffix}) : std::nullopt;
    }
    const std::optional<qint64> first = parsePosition(before);
    const std::optional<qint64> last = after.isEmpty() ? std::optional(Unbounded) : parsePosition(after);
    if (!first || !last || *last < *first)
        return std::nullopt; // a last before the first makes the whole field invalid
    return RangeSpec{first, *last};
}

} // namespace

RangeChoice parseRange(QByteArrayView value, qint64 size)
{
    value = trimBlanks(value);
    const qsizetype equals = value.indexOf('=');
    if (equals < 0 || value.first(equals).compare("bytes", Qt::CaseInsensitive) != 0)
        return {};
    std::optional<RangeSpec> only;
    // A list: blanks around its commas and empty elements are allowed.
    for (const QByteArray &element : value.sliced(equals + 1).toByteArray().split(',')) {
        const QByteArrayView spec = trimBlanks(element);
        if (spec.isEmpty())
            continue;
        const std::optional<RangeSpec> parsed = parseRangeSpec(spec);
        if (!parsed || only)
            return {}; // malformed, or several ranges
        only = parsed;
    }
    if (!only)
        return {};
    if (!only->first) { // the last `suffix` bytes
        const qint64 suffix = only->last;
        if (suffix == 0)
            return {RangeChoice::Kind::Unsatisfiable};
        if (size == 0)
            return {}; // the whole of nothing
        const qint64 first = size - std::min(suffix, size);
        return {RangeChoice::Kind::Part, first, size - first};
    }
    const qint64 first = *only->first;
    if (first >= size)
        return {RangeChoice::Kind::Unsatisfiable};
    return {RangeChoice::Kind::Part, first, std::min(only->last, size - 1) - first + 1};
}

bool ifRangeHolds(QByteArrayView value, const FileVersion &version)
{
    value = trimBlanks(value);
    if (value.startsWith('"') || value.startsWith("W/"))
        return value == QByteArrayView(version.etag);
    // A date holds only as the very Last-Modified this server sends: any other spelling is a
    // mismatch, which costs a whole answer and never a wrong join.
    return version.lastModifiedIsStrong && value == QByteArrayView(version.lastModified);
}

RangeChoice chooseRange(const std::optional<QByteArray> &range, const std::optional<QByteArray> &ifRange,
                        const FileVersion &version)
{
    if (!range || (ifRange && !ifRangeHolds(*ifRange, version)))
        return {};
    return parseRange(*range, version.size);
}

QByteArray contentRange(const RangeChoice &choice, qint64 size)
{
    const QByteArray total = '/' + QByteArray::number(size);
    if (choice.kind != RangeChoice::Kind::Part)
        return "bytes *" + total;
    return "bytes " + QByteArray::number(choice.first) + '-' + QByteArray::number(choice.first + choice.length - 1) +
           total;
}

} // namespace quibo::web
