// Feeds arbitrary bytes, as a connection would deliver them, to the record parser.
#include "peer/PeerRecord.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace quibo::peer;

namespace {
void fail(int line)
{
    std::fprintf(stderr, "property at line %d does not hold\n", line);
    std::abort();
}
#define check(holds) ((holds) ? void() : fail(__LINE__))
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray received(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const PeerText record = parseRecord(received);

    check(record.text.size() <= ReadLimit - 1); // invalid bytes decode to one character each
    check(!record.text.contains(QChar(u'\0')));
    check(record.hasSeparator == record.text.contains(FieldSeparator));
    check(!record.handle.contains(FieldSeparator));

    if (record.hasSeparator) {
        check(record.handle + FieldSeparator + record.body == record.text);
        if (const std::optional<Code> code = matchCode(record.body))
            check(record.body.startsWith(codeEntry(*code).text));
        if (const std::optional<FileOfferText> offer = parseFileOffer(record.body))
            check(!offer->sizeText.contains(SubFieldSeparator) &&
                  offer->sizeText + SubFieldSeparator + offer->fileName ==
                      payloadAfter(record.body, Code::FileOffer));
    }

    // What was parsed goes out and comes back unchanged when it fits a block.
    for (const qsizetype block : {MessageBlock, ShortBlock, RefusalBlock, TinyBlock}) {
        const QByteArray built = buildBlock(record.text, block);
        check(built.size() == block);
        check(built.at(block - 1) == '\0');
        const PeerText again = parseRecord(built);
        if (record.text.toUtf8().size() < std::min(block, ReadLimit))
            check(again.text == record.text);
        else
            check(record.text.startsWith(again.text));
    }
    return 0;
}
