// Feeds arbitrary request lines, targets, heads and Range fields to quiboweb's parsers: a repair
// changes nothing but raw spaces, nothing the parser accepts may leave the folder, a range never
// reaches past the file, and a head loses only the lines of the field taken out.
#include "FuzzCheck.h"

#include "ByteRange.h"
#include "RequestHead.h"
#include "RequestTarget.h"

#include <QDir>

#include <limits>

using namespace quibo;

namespace {

void checkRepair(const QByteArray &line)
{
    const QByteArray repaired = web::repairRequestLine(line);
    if (repaired == line)
        return;
    // Method, version and line end stay; the target names the same file.
    const qsizetype first = line.indexOf(' ');
    const qsizetype last = line.lastIndexOf(" HTTP/");
    FUZZ_CHECK(first >= 0 && last > first);
    FUZZ_CHECK(repaired.startsWith(line.left(first + 1)) && repaired.endsWith(line.mid(last)));
    const QByteArray target = repaired.mid(first + 1, repaired.size() - (line.size() - last) - first - 1);
    FUZZ_CHECK(!target.contains(' '));
    const web::TargetPath before = web::parseRequestTarget(line.mid(first + 1, last - first - 1));
    const web::TargetPath after = web::parseRequestTarget(target);
    FUZZ_CHECK(after.status == before.status && after.segments == before.segments);
}

void checkTarget(const QByteArray &target)
{
    const web::TargetPath path = web::parseRequestTarget(target);
    if (path.status != 200) {
        FUZZ_CHECK(path.segments.isEmpty());
        return;
    }
    FUZZ_CHECK(!path.segments.isEmpty());
    for (const QString &segment : path.segments) {
        FUZZ_CHECK(!segment.isEmpty() && segment != u"." && segment != u"..");
        FUZZ_CHECK(!segment.contains(u'/') && !segment.contains(u'\\') && !segment.contains(QChar(u'\0')));
    }
    const QString root = QStringLiteral("/srv/html/");
    FUZZ_CHECK(QDir::cleanPath(root + path.segments.join(u'/')) == root + path.segments.join(u'/'));
}

void checkRange(const QByteArray &value)
{
    for (const qint64 size : {0LL, 1LL, 1000LL, 5LL << 30, std::numeric_limits<qint64>::max()}) {
        const web::RangeChoice choice = web::parseRange(value, size);
        if (choice.kind == web::RangeChoice::Kind::Part) {
            FUZZ_CHECK(choice.first >= 0 && choice.length > 0 && choice.length <= size - choice.first);
            FUZZ_CHECK(web::contentRange(choice, size).endsWith('/' + QByteArray::number(size)));
        } else {
            FUZZ_CHECK(choice.first == 0 && choice.length == 0);
        }
    }
    const web::FileVersion version = web::describeFile({1, 2, 1000, 0}, 1'000'000'000);
    FUZZ_CHECK(!web::ifRangeHolds(value, version) || value.contains(version.etag) ||
               value.contains(version.lastModified));
}

void checkHead(const QByteArray &head)
{
    const web::TakenField taken = web::takeField(head, "Range");
    FUZZ_CHECK(taken.value.has_value() == (taken.head != head));
    FUZZ_CHECK(taken.head.size() <= head.size() && taken.head.startsWith(head.left(head.indexOf('\n') + 1)));
    const web::TakenField again = web::takeField(taken.head, "Range");
    FUZZ_CHECK(!again.value && again.head == taken.head);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = fuzz::input(data, size);
    checkRepair(bytes);
    checkTarget(bytes);
    checkRange(bytes);
    checkHead(bytes);
    return 0;
}
