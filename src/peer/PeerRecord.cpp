#include "peer/PeerRecord.h"

#include "base/Utf8.h"

namespace quibo::peer {

QByteArray buildBlock(const QString &text, qsizetype blockSize)
{
    QByteArray block = utf8::encodeCut(text, blockSize - 1);
    block.append(QByteArray(blockSize - block.size(), '\0'));
    return block;
}

QByteArray buildRecord(const QString &handle, const QString &body, qsizetype blockSize)
{
    return buildBlock(handle + FieldSeparator + body, blockSize);
}

QByteArray buildRecord(const QString &handle, RecordCode code, const QString &payload)
{
    return buildRecord(handle, code.toString() + payload, code.blockSize);
}

PeerText parseRecord(const QByteArray &received)
{
    QByteArray bytes = received.left(ReadLimit);
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    bytes.truncate(ReadLimit - 1);

    PeerText record;
    record.text = QString::fromUtf8(utf8::trimPartialTail(bytes));
    const qsizetype bar = record.text.indexOf(FieldSeparator);
    record.handle = bar >= 0 ? record.text.left(bar) : record.text;
    record.body = bar >= 0 ? record.text.mid(bar + 1) : QString();
    return record;
}

} // namespace quibo::peer
