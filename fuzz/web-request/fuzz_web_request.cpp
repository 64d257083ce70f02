// Feeds arbitrary request targets to quiboweb's parser: nothing it accepts may leave the folder.
#include "RequestTarget.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    quibo::web::repairRequestLine(bytes);
    const quibo::web::TargetPath target = quibo::web::parseRequestTarget(bytes);
    if (target.status != 200)
        return 0;
    for (const QString &segment : target.segments) {
        if (segment.isEmpty() || segment == u"." || segment == u".." || segment.contains(u'/')
            || segment.contains(u'\\') || segment.contains(QChar(u'\0')))
            std::abort();
    }
    return 0;
}
