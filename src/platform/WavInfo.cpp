#include "platform/WavInfo.h"

#include <QFile>

#include <algorithm>

namespace quibo::wav {

namespace {
constexpr quint16 FormatPcm = 1;
constexpr quint16 FormatFloat = 3;
constexpr quint16 FormatExtensible = 0xFFFE;
constexpr qint64 HeadBytes = 64 * 1024; // room for metadata chunks before "data"

quint32 le32(QByteArrayView b, qint64 at)
{
    const auto u = [&](qint64 i) { return static_cast<quint32>(static_cast<unsigned char>(b[at + i])); };
    return u(0) | (u(1) << 8) | (u(2) << 16) | (u(3) << 24);
}

quint16 le16(QByteArrayView b, qint64 at)
{
    const auto u = [&](qint64 i) { return static_cast<quint16>(static_cast<unsigned char>(b[at + i])); };
    return static_cast<quint16>(u(0) | (u(1) << 8));
}

bool isTag(QByteArrayView b, qint64 at, const char (&tag)[5])
{
    return b.size() >= at + 4 && b.sliced(at, 4) == QByteArrayView(tag, 4);
}

bool usable(const Info &info)
{
    const bool knownFormat =
        info.formatTag == FormatPcm || info.formatTag == FormatFloat || info.formatTag == FormatExtensible;
    const bool knownWidth = info.bitsPerSample == 8 || info.bitsPerSample == 16 || info.bitsPerSample == 24 ||
                            info.bitsPerSample == 32;
    return knownFormat && knownWidth && info.channels > 0 && info.sampleRate > 0;
}
} // namespace

qint64 Info::frameBytes() const
{
    return qint64(channels) * ((bitsPerSample + 7) / 8);
}

std::chrono::milliseconds Info::duration() const
{
    const qint64 bytesPerSecond = frameBytes() * sampleRate;
    if (bytesPerSecond <= 0 || dataBytes <= 0)
        return std::chrono::milliseconds{0};
    // dataBytes < 2^32 and the factor is 1000, so this cannot overflow.
    return std::chrono::milliseconds{dataBytes * 1000 / bytesPerSecond};
}

std::optional<Info> parseHeader(QByteArrayView head, qint64 fileSize)
{
    if (head.size() < 12 || !isTag(head, 0, "RIFF") || !isTag(head, 8, "WAVE"))
        return std::nullopt;
    fileSize = std::max<qint64>(fileSize, head.size());

    Info info;
    bool haveFormat = false;
    std::optional<qint64> data;
    qint64 at = 12;
    while (at + 8 <= head.size() && !(haveFormat && data)) {
        const qint64 size = le32(head, at + 4);
        const qint64 body = at + 8;
        if (isTag(head, at, "fmt ")) {
            if (size < 16 || body + 16 > head.size())
                return std::nullopt;
            info.formatTag = le16(head, body);
            info.channels = le16(head, body + 2);
            info.sampleRate = le32(head, body + 4);
            info.bitsPerSample = le16(head, body + 14);
            haveFormat = true;
        } else if (isTag(head, at, "data")) {
            // Streams write 0 or 0xFFFFFFFF when the length was unknown; the file tells the truth.
            data = std::clamp<qint64>(fileSize - body, 0, size == 0 ? fileSize : size);
        }
        at = body + size + (size & 1); // chunks are padded to an even length
    }
    if (!haveFormat || !data || !usable(info))
        return std::nullopt;
    info.dataBytes = *data - *data % info.frameBytes();
    return info;
}

std::optional<Info> readInfo(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(HeadBytes);
    return parseHeader(head, file.size());
}

} // namespace quibo::wav
