// Feeds arbitrary request targets to the directory server's decoding.
#include "WireFormat.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    using namespace quibo::directory;
    if (const auto target = splitTarget(bytes)) {
        if (const auto query = Query::parse(target->query))
            query->value(u"id");
    }
    if (const auto text = decodeText(bytes)) {
        if (text->contains(QChar(u'\0')))
            std::abort();
    }
    percentDecode(bytes);
    return 0;
}
