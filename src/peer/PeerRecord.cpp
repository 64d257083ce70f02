#include "peer/PeerRecord.h"

#include "base/Limits.h"
#include "base/Utf8.h"

#include <algorithm>

namespace quibo::peer {

namespace {
CodeEntry entry(Code code, const char16_t *text, qsizetype blockSize, QStringList clips = {})
{
    return CodeEntry{code, QString::fromUtf16(text), blockSize, std::move(clips)};
}
QStringList clip(const char16_t *name)
{
    return {QString::fromUtf16(name)};
}
} // namespace

const QList<CodeEntry> &codeTable()
{
    static const QList<CodeEntry> table = [] {
        const QString sys1 = QStringLiteral("sys1.snd");
        const QString sys2 = QStringLiteral("sys2.snd");
        const QString hurl = QStringLiteral("hurl.snd");
        return QList<CodeEntry>{
            entry(Code::Online, u"|001", MessageBlock),
            entry(Code::Offline, u"|002", MessageBlock),
            entry(Code::JoinAsk, u"|003", TinyBlock),
            entry(Code::JoinYes, u"|004", TinyBlock),
            entry(Code::JoinNo, u"|005", TinyBlock),
            entry(Code::Refused, u"|006", RefusalBlock),
            entry(Code::Accepted, u"|007", MessageBlock),
            entry(Code::Smile, u"|300", MessageBlock),
            entry(Code::Frown, u"|301", MessageBlock),
            entry(Code::Wink, u"|302", MessageBlock),
            entry(Code::Possessed, u"|303", MessageBlock),
            entry(Code::Kiss, u"|304", MessageBlock),
            entry(Code::Aahhh, u"|305", MessageBlock),
            entry(Code::Oops, u"|306", MessageBlock),
            entry(Code::SoundLol, u"|400", MessageBlock, clip(u"lol.snd")),
            entry(Code::SoundApplause, u"|401", MessageBlock, clip(u"applause.snd")),
            entry(Code::SoundCatFight, u"|402", MessageBlock, clip(u"catfight.snd")),
            entry(Code::SoundHurl, u"|403", MessageBlock, clip(u"hurl.snd")),
            entry(Code::SoundIncoming, u"|404", MessageBlock, clip(u"incoming.snd")),
            entry(Code::SoundKiss, u"|405", MessageBlock, clip(u"smootch.snd")),
            entry(Code::SoundWhip, u"|406", MessageBlock, clip(u"whip.snd")),
            entry(Code::SoundWoof, u"|407", MessageBlock, clip(u"woof.snd")),
            entry(Code::SoundBoing, u"|408", MessageBlock, clip(u"boing.snd")),
            entry(Code::SoundShoot, u"|409", MessageBlock, clip(u"shoot.snd")),
            entry(Code::Fart, u"|FART", MessageBlock, {sys1}),
            entry(Code::Sick, u"|SICK", MessageBlock,
                  {sys1, sys1, sys2, sys1, sys2, sys1, hurl, sys1, sys1, sys2, sys1}),
            entry(Code::Burp, u"|BURP", MessageBlock, {sys2}),
            entry(Code::Jam, u"|JAM", MessageBlock, clip(u"quibocfg.dat")),
            entry(Code::FileOffer, u"|600", MessageBlock),
            entry(Code::FileBusy, u"|601", ShortBlock),
            entry(Code::FileReceived, u"|602", ShortBlock),
            entry(Code::FileDeclined, u"|603", ShortBlock),
            entry(Code::ChatRequest, u"|700", ShortBlock),
            entry(Code::ChatDeclined, u"|702", ShortBlock),
            entry(Code::ChatBusy, u"|703", ShortBlock),
            entry(Code::ChatClosed, u"|704", ShortBlock),
        };
    }();
    return table;
}

const CodeEntry &codeEntry(Code code)
{
    const QList<CodeEntry> &table = codeTable();
    const auto found =
        std::find_if(table.cbegin(), table.cend(), [code](const CodeEntry &e) { return e.code == code; });
    Q_ASSERT(found != table.cend());
    return *found;
}

bool bodyHasCode(const QString &body, Code code)
{
    return body.startsWith(codeEntry(code).text);
}

std::optional<Code> matchCode(const QString &body)
{
    for (const CodeEntry &e : codeTable()) {
        if (body.startsWith(e.text))
            return e.code;
    }
    return std::nullopt;
}

QString payloadAfter(const QString &body, Code code)
{
    return body.mid(codeEntry(code).text.size());
}

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

QByteArray buildShortRecord(const QString &handle, const QString &code, const QString &payload)
{
    return buildRecord(handle, code + payload, ShortBlock);
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
    record.hasSeparator = bar >= 0;
    record.handle = record.hasSeparator ? record.text.left(bar) : record.text;
    record.body = record.hasSeparator ? record.text.mid(bar + 1) : QString();
    return record;
}

std::optional<FileOfferText> parseFileOffer(const QString &body)
{
    if (!bodyHasCode(body, Code::FileOffer))
        return std::nullopt;
    const QString rest = payloadAfter(body, Code::FileOffer);
    const qsizetype lt = rest.indexOf(SubFieldSeparator);
    if (lt < 0)
        return std::nullopt;
    return FileOfferText{rest.left(lt), rest.mid(lt + 1)};
}

} // namespace quibo::peer
