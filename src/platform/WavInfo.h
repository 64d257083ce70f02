#pragma once

#include <QByteArrayView>
#include <QString>

#include <chrono>
#include <optional>

namespace quibo::wav {

// What a WAV clip's header says about its sound: enough to know how long it plays.
struct Info {
    quint16 formatTag = 0; // 1 PCM, 3 IEEE float, 0xFFFE extensible
    quint16 channels = 0;
    quint32 sampleRate = 0;
    quint16 bitsPerSample = 0;
    qint64 dataBytes = 0; // sound bytes actually present, never more than the file holds

    [[nodiscard]] qint64 frameBytes() const;
    [[nodiscard]] std::chrono::milliseconds duration() const;
};

// Parses the start of a WAV file. `fileSize` is the whole file's length (the head may be
// shorter); a data chunk that claims more than the file holds is cut to what is there.
// Empty when the bytes are not a WAV file whose playing time can be known.
std::optional<Info> parseHeader(QByteArrayView head, qint64 fileSize);

// Reads and parses the header of the file at `path`.
std::optional<Info> readInfo(const QString &path);

} // namespace quibo::wav
