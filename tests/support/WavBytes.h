#pragma once

#include <QByteArray>
#include <QList>

#include <chrono>

// Builds WAV files byte by byte, so tests can make good, odd and broken clips.
namespace quibo::test::wavbytes {

inline QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    b[0] = static_cast<char>(v & 0xFF);
    b[1] = static_cast<char>(v >> 8);
    return b;
}

inline QByteArray le32(quint32 v)
{
    return le16(static_cast<quint16>(v & 0xFFFF)) + le16(static_cast<quint16>(v >> 16));
}

// A chunk whose size field says `declaredSize` (its real size unless given).
inline QByteArray chunk(const char *tag, const QByteArray &body, qint64 declaredSize = -1)
{
    QByteArray c =
        QByteArray(tag, 4) + le32(static_cast<quint32>(declaredSize < 0 ? body.size() : declaredSize)) + body;
    if (body.size() % 2)
        c += '\0';
    return c;
}

// A format chunk of `size` bytes of the usual fields, then `extension` (as WAVE_FORMAT_EXTENSIBLE has).
inline QByteArray fmt(quint16 formatTag, quint16 channels, quint32 rate, quint16 bits, int size = 16,
                      const QByteArray &extension = {})
{
    const quint16 align = static_cast<quint16>(channels * ((bits + 7) / 8));
    QByteArray body =
        le16(formatTag) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) + le16(bits);
    return chunk("fmt ", body.left(size) + extension);
}

inline QByteArray riff(const QList<QByteArray> &chunks)
{
    QByteArray body = "WAVE";
    for (const QByteArray &c : chunks)
        body += c;
    return "RIFF" + le32(static_cast<quint32>(body.size())) + body;
}

// A clip of silence, 16-bit mono, lasting `length`.
inline QByteArray silence(std::chrono::milliseconds length, quint32 rate = 8000)
{
    const auto frames = static_cast<qsizetype>(length.count() * rate / 1000);
    return riff({fmt(1, 1, rate, 16), chunk("data", QByteArray(frames * 2, '\0'))});
}

} // namespace quibo::test::wavbytes
