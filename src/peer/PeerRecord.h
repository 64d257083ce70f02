#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace quibo::peer {

// Block sizes of the records exchanged on the peer port, one record per connection.
inline constexpr qsizetype MessageBlock = 522; // SendPeerRecord: messages, smileys, sounds, 001, 002, 007, 600
inline constexpr qsizetype ShortBlock = 75;    // SendShortRecord: 601, 602, 603, 700, 702, 703, 704
inline constexpr qsizetype RefusalBlock = 39;  // 006
inline constexpr qsizetype TinyBlock = 20;     // 003, 004, 005

// The receiver reads at most this many bytes; the text keeps at most ReadLimit - 1 of them.
inline constexpr qsizetype ReadLimit = 512;
// Sender handles longer than this match no contact.
inline constexpr qsizetype MaxSenderHandleBytes = 43;

// The separators of the record text.
inline constexpr char16_t FieldSeparator = u'|';
inline constexpr char16_t SubFieldSeparator = u'<';

// Payload of the short records that need none.
inline const QString NoPayload = QStringLiteral("nothing");

enum class Code {
    Online,          // |001
    Offline,         // |002
    JoinAsk,         // |003
    JoinYes,         // |004
    JoinNo,          // |005
    Refused,         // |006
    Accepted,        // |007
    Smile,           // |300
    Frown,           // |301
    Wink,            // |302
    Possessed,       // |303
    Kiss,            // |304
    Aahhh,           // |305
    Oops,            // |306
    SoundLol,        // |400
    SoundApplause,   // |401
    SoundCatFight,   // |402
    SoundHurl,       // |403
    SoundIncoming,   // |404
    SoundKiss,       // |405
    SoundWhip,       // |406
    SoundWoof,       // |407
    SoundBoing,      // |408
    SoundShoot,      // |409
    Fart,            // |FART
    Sick,            // |SICK
    Burp,            // |BURP
    Jam,             // |JAM
    FileOffer,       // |600
    FileBusy,        // |601
    FileReceived,    // |602
    FileDeclined,    // |603
    ChatRequest,     // |700
    ChatDeclined,    // |702
    ChatBusy,        // |703
    ChatClosed,      // |704
};

struct CodeEntry {
    Code code;
    QString text;         // "|001", "|FART": compared with the start of the body
    qsizetype blockSize;  // the block the code travels in
    QStringList clips;    // sound codes: the clips played, in order
};

// Every code, in no particular order.
const QList<CodeEntry> &codeTable();
const CodeEntry &codeEntry(Code code);
// The code `body` begins with (4 or 5 characters compared, the rest is payload), if any.
std::optional<Code> matchCode(const QString &body);
// True when `body` begins with `code` (the comparison the dispatcher makes for each branch).
bool bodyHasCode(const QString &body, Code code);
// The text after the code at the start of `body` (empty when `body` is shorter).
QString payloadAfter(const QString &body, Code code);

// Builds a block of exactly `blockSize` bytes: the UTF-8 text, cut so that its terminator
// fits (never inside a character), then zero bytes.
QByteArray buildBlock(const QString &text, qsizetype blockSize);
// handle + "|" + body in a block of `blockSize` bytes.
QByteArray buildRecord(const QString &handle, const QString &body, qsizetype blockSize);
// The short record of SendShortRecord: handle + "|" + code + payload in 75 bytes.
QByteArray buildShortRecord(const QString &handle, const QString &code, const QString &payload);

// A received record, parsed.
struct PeerText {
    QString text;         // up to the first zero byte, at most ReadLimit - 1 bytes, whole characters
    bool hasSeparator = false;
    QString handle;       // before the first "|" (the whole text when there is none)
    QString body;         // after the first "|"
};

// Parses what was read from a connection (any length; only the first ReadLimit bytes count).
PeerText parseRecord(const QByteArray &received);

// The payload of "|600": size digits, "<", file name.
struct FileOfferText {
    QString sizeText; // whole: sizes of ten digits and more are read as 64-bit
    QString fileName;
};
// Nothing when the body is no "|600" or has no "<" after the code.
std::optional<FileOfferText> parseFileOffer(const QString &body);

} // namespace quibo::peer
