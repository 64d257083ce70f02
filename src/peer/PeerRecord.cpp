#include "peer/PeerRecord.h"

#include "base/Utf8.h"

#include <QtEndian>

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
    record.text = utf8::decode(utf8::trimPartialTail(bytes));
    const qsizetype bar = record.text.indexOf(FieldSeparator);
    record.handle = bar >= 0 ? record.text.left(bar) : record.text;
    record.body = bar >= 0 ? record.text.mid(bar + 1) : QString();
    return record;
}

QByteArray frameRecord(const QByteArray &block)
{
    QByteArray frame(4, '\0');
    qToBigEndian(quint32(block.size()), frame.data());
    return frame + block;
}

Unframed takeFrame(QByteArray &buffer, QByteArray &record, qsizetype limit)
{
    if (buffer.size() < 4)
        return Unframed::Partial;
    const quint32 length = qFromBigEndian<quint32>(buffer.constData());
    if (length > quint64(limit))
        return Unframed::TooLong;
    if (buffer.size() < 4 + qsizetype(length))
        return Unframed::Partial;
    record = buffer.mid(4, length);
    buffer.remove(0, 4 + length);
    return Unframed::Record;
}

} // namespace quibo::peer
