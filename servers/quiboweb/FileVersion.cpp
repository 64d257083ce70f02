#include "FileVersion.h"

#include <QList>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace quibo::web {

namespace {

constexpr qint64 NsPerSecond = 1'000'000'000;
// IMF-fixdate has four digits for the year.
constexpr qint64 FirstDate = -62'167'219'200; // 0000-01-01
constexpr qint64 LastDate = 253'402'300'799;  // 9999-12-31 23:59:59

qint64 floorSeconds(qint64 ns)
{
    return ns / NsPerSecond - (ns % NsPerSecond < 0 ? 1 : 0);
}

QByteArray hex(quint64 value)
{
    return QByteArray::number(value, 16);
}

// The opaque part of an entity-tag, weak or not: what the weak comparison compares.
QByteArrayView opaqueTag(QByteArrayView tag)
{
    return tag.startsWith("W/") ? tag.sliced(2) : tag;
}

} // namespace

QByteArray httpDate(qint64 secondsSinceEpoch)
{
    static constexpr const char *Days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char *Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const auto seconds = static_cast<std::time_t>(std::clamp(secondsSinceEpoch, FirstDate, LastDate));
    std::tm parts{};
    ::gmtime_r(&seconds, &parts);
    char text[32] = {};
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", Days[parts.tm_wday], parts.tm_mday,
                  Months[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return QByteArray(text);
}

FileVersion describeFile(const FileIdentity &file, qint64 nowNs)
{
    const qint64 seconds = floorSeconds(file.modifiedNs);
    FileVersion version;
    version.size = file.size;
    version.etag = '"' + hex(file.device) + '-' + hex(file.inode) + '-' + hex(static_cast<quint64>(file.size)) + '-' +
                   hex(static_cast<quint64>(file.modifiedNs)) + '"';
    version.lastModified = httpDate(seconds);
    version.lastModifiedIsStrong =
        seconds >= FirstDate && seconds <= LastDate && file.modifiedNs <= nowNs - NsPerSecond;
    return version;
}

bool isNotModified(const std::optional<QByteArray> &ifNoneMatch, const std::optional<QByteArray> &ifModifiedSince,
                   const FileVersion &version)
{
    if (ifNoneMatch) {
        const QList<QByteArray> tags = ifNoneMatch->split(',');
        return std::any_of(tags.begin(), tags.end(), [&version](const QByteArray &tag) {
            const QByteArray trimmed = tag.trimmed();
            return trimmed == "*" || opaqueTag(trimmed) == QByteArrayView(version.etag);
        });
    }
    return ifModifiedSince && ifModifiedSince->trimmed() == version.lastModified;
}

} // namespace quibo::web
