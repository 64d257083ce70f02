// Feeds arbitrary bytes to the WAV header reader, as the start of a file of some size.
#include "FuzzCheck.h"

#include "platform/WavInfo.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < sizeof(std::uint32_t))
        return 0;
    std::uint32_t extra = 0; // the rest of the file beyond the bytes we have
    std::memcpy(&extra, data, sizeof extra);
    const QByteArrayView head(reinterpret_cast<const char *>(data) + sizeof extra,
                              static_cast<qsizetype>(size - sizeof extra));
    const qint64 fileSize = head.size() + (extra % 1000000);
    if (const auto info = quibo::wav::parseHeader(head, fileSize)) {
        FUZZ_CHECK(info->dataBytes >= 0 && info->dataBytes <= fileSize && info->duration().count() >= 0);
    }
    return 0;
}
