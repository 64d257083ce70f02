#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace quibo::peer {

// Block sizes of the records exchanged on the peer port, one record per connection.
inline constexpr qsizetype MessageBlock =
    522;                                      // SendPeerRecord: messages, smileys, sounds, 001, 002, 007, 600
inline constexpr qsizetype ShortBlock = 75;   // SendShortRecord: 601, 602, 603, 700, 702, 703, 704
inline constexpr qsizetype RefusalBlock = 39; // 006
inline constexpr qsizetype TinyBlock = 20;    // 003, 004, 005

// The receiver reads at most this many bytes; the text keeps at most ReadLimit - 1 of them.
inline constexpr qsizetype ReadLimit = 512;
// Sender handles longer than this match no contact.
inline constexpr qsizetype MaxSenderHandleBytes = 43;

// The separators of the record text.
inline constexpr char16_t FieldSeparator = u'|';
inline constexpr char16_t SubFieldSeparator = u'<';

// Payload of the short records that need none.
inline const QString NoPayload = QStringLiteral("nothing");

// A record code as the feature that owns it declares it: the text a body begins with ("|001",
// "|FART"), compared whole, the rest of the body being its payload, and the block it travels in.
struct RecordCode {
    QStringView text;
    qsizetype blockSize = MessageBlock;

    [[nodiscard]] bool begins(QStringView body) const { return body.startsWith(text); }
    // The text after the code at the start of `body`.
    [[nodiscard]] QString payloadOf(const QString &body) const { return body.mid(text.size()); }
    [[nodiscard]] QString toString() const { return text.toString(); }
    // One begins the other: a body of the longer one would match both.
    [[nodiscard]] bool overlaps(RecordCode other) const
    {
        return text.startsWith(other.text) || other.text.startsWith(text);
    }
};

// Builds a block of exactly `blockSize` bytes: the UTF-8 text, cut so that its terminator
// fits (never inside a character), then zero bytes.
QByteArray buildBlock(const QString &text, qsizetype blockSize);
// handle + "|" + body in a block of `blockSize` bytes.
QByteArray buildRecord(const QString &handle, const QString &body, qsizetype blockSize);
// handle + "|" + code + payload in the code's block.
QByteArray buildRecord(const QString &handle, RecordCode code, const QString &payload = {});

// A received record, parsed.
struct PeerText {
    QString text;   // up to the first zero byte, at most ReadLimit - 1 bytes, whole characters
    QString handle; // before the first "|" (the whole text when there is none)
    QString body;   // after the first "|"

    [[nodiscard]] bool hasSeparator() const { return text.contains(FieldSeparator); }
};

// Records on a connection kept between two secure clients (negotiated by TLS ALPN as
// KeptRecordsProtocol): each is framed as a 4-byte big-endian length and the block, and the
// receiver answers each one it has taken with KeptRecordAck.
inline constexpr char KeptRecordsProtocol[] = "quibo-records/1";
inline constexpr char KeptRecordAck = '\x06';
// The largest block any record travels in: a longer frame is refused.
inline constexpr qsizetype LargestBlock = MessageBlock;
[[nodiscard]] QByteArray frameRecord(const QByteArray &block);
enum class Unframed { Partial, Record, TooLong };
// Takes the first whole frame off `buffer` into `record`. Partial: wait for more bytes;
// TooLong: the length is past `limit`, and nothing more on that connection is believed.
Unframed takeFrame(QByteArray &buffer, QByteArray &record, qsizetype limit = LargestBlock);

// Parses what was read from a connection (any length; only the first ReadLimit bytes count).
PeerText parseRecord(const QByteArray &received);

} // namespace quibo::peer
