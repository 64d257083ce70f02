// Feeds arbitrary bytes as a received chat line: the text shown never runs past the block, its
// rows are never wider than a window, and they lose nothing but the spaces they break at (and,
// for a line of three full rows, what a third row cannot hold).
#include "FuzzCheck.h"

#include "channel/ChannelLine.h"

using namespace quibo;
using namespace quibo::channel;

namespace {

QString withoutSpaces(QString text)
{
    return text.remove(u' ');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = fuzz::input(data, size);
    const QString line = receivedLine(bytes);
    // Bytes that are no UTF-8 show as replacement characters, which take more bytes to send on.
    FUZZ_CHECK(line.size() < LineBytes);
    FUZZ_CHECK(!line.contains(QChar(u'\0')));
    FUZZ_CHECK(lineBlock(line).size() == LineBytes);
    if (line.toUtf8().size() < LineBytes)
        FUZZ_CHECK(receivedLine(lineBlock(line)) == line);

    const QStringList rows = channelRows(line);
    FUZZ_CHECK(!rows.isEmpty());
    QString shown;
    for (const QString &row : rows) {
        FUZZ_CHECK(row.toUcs4().size() <= RowWidth);
        shown += row;
    }
    const QString all = withoutSpaces(line);
    const QString kept = withoutSpaces(shown);
    FUZZ_CHECK(all.startsWith(kept));
    if (rows.size() != 3 || line.toUcs4().size() < 2 * RowWidth)
        FUZZ_CHECK(kept == all);

    const QString sender = senderOf(line);
    FUZZ_CHECK(line.startsWith(sender) && !sender.contains(u'>'));
    return 0;
}
