// Feeds arbitrary bytes, as a connection would deliver them, to the record parser.
#include "FuzzCheck.h"

#include "peer/PeerRecord.h"

#include <algorithm>

using namespace quibo;
using namespace quibo::peer;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray received = fuzz::input(data, size);
    const PeerText record = parseRecord(received);

    FUZZ_CHECK(record.text.size() <= ReadLimit - 1); // invalid bytes decode to one character each
    FUZZ_CHECK(!record.text.contains(QChar(u'\0')));
    FUZZ_CHECK(record.hasSeparator() == record.text.contains(FieldSeparator));
    FUZZ_CHECK(!record.handle.contains(FieldSeparator));

    if (record.hasSeparator())
        FUZZ_CHECK(record.handle + FieldSeparator + record.body == record.text);

    // What was parsed goes out and comes back unchanged when it fits a block.
    for (const qsizetype block : {MessageBlock, ShortBlock, RefusalBlock, TinyBlock}) {
        const QByteArray built = buildBlock(record.text, block);
        FUZZ_CHECK(built.size() == block);
        FUZZ_CHECK(built.at(block - 1) == '\0');
        const PeerText again = parseRecord(built);
        if (record.text.toUtf8().size() < std::min(block, ReadLimit))
            FUZZ_CHECK(again.text == record.text);
        else
            FUZZ_CHECK(record.text.startsWith(again.text));
    }

    // A kept connection's bytes: frames come off whole, never past the limit, and a record
    // framed again gives the bytes it was taken from.
    QByteArray stream = received, taken;
    Unframed state = Unframed::Record;
    while ((state = takeFrame(stream, taken)) == Unframed::Record) {
        FUZZ_CHECK(taken.size() <= LargestBlock);
        QByteArray again = frameRecord(taken);
        QByteArray back;
        FUZZ_CHECK(takeFrame(again, back) == Unframed::Record && back == taken && again.isEmpty());
    }
    FUZZ_CHECK(state == Unframed::TooLong || stream.size() < 4 + LargestBlock);
    return 0;
}
