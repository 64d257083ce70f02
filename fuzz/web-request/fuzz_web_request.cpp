// Feeds arbitrary request lines and targets to quiboweb's parser: a repair changes nothing but
// raw spaces, and nothing the parser accepts may leave the folder.
#include "FuzzCheck.h"

#include "RequestTarget.h"

#include <QDir>

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = fuzz::input(data, size);
    checkRepair(bytes);
    checkTarget(bytes);
    return 0;
}
