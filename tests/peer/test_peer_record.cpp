#include "QtPrinters.h"

#include "peer/PeerRecord.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::peer;

namespace {

struct CodeCase {
    Code code;
    const char16_t *text;
    qsizetype block;
    const char16_t *clips; // comma-separated
};

const CodeCase CodeCases[] = {
    {Code::Online, u"|001", 522, u""},          {Code::Offline, u"|002", 522, u""},
    {Code::JoinAsk, u"|003", 20, u""},          {Code::JoinYes, u"|004", 20, u""},
    {Code::JoinNo, u"|005", 20, u""},           {Code::Refused, u"|006", 39, u""},
    {Code::Accepted, u"|007", 522, u""},        {Code::Smile, u"|300", 522, u""},
    {Code::Frown, u"|301", 522, u""},           {Code::Wink, u"|302", 522, u""},
    {Code::Possessed, u"|303", 522, u""},       {Code::Kiss, u"|304", 522, u""},
    {Code::Aahhh, u"|305", 522, u""},           {Code::Oops, u"|306", 522, u""},
    {Code::SoundLol, u"|400", 522, u"lol.snd"}, {Code::SoundApplause, u"|401", 522, u"applause.snd"},
    {Code::SoundCatFight, u"|402", 522, u"catfight.snd"}, {Code::SoundHurl, u"|403", 522, u"hurl.snd"},
    {Code::SoundIncoming, u"|404", 522, u"incoming.snd"}, {Code::SoundKiss, u"|405", 522, u"smootch.snd"},
    {Code::SoundWhip, u"|406", 522, u"whip.snd"}, {Code::SoundWoof, u"|407", 522, u"woof.snd"},
    {Code::SoundBoing, u"|408", 522, u"boing.snd"}, {Code::SoundShoot, u"|409", 522, u"shoot.snd"},
    {Code::Fart, u"|FART", 522, u"sys1.snd"},
    {Code::Sick, u"|SICK", 522,
     u"sys1.snd,sys1.snd,sys2.snd,sys1.snd,sys2.snd,sys1.snd,hurl.snd,sys1.snd,sys1.snd,sys2.snd,sys1.snd"},
    {Code::Burp, u"|BURP", 522, u"sys2.snd"},   {Code::Jam, u"|JAM", 522, u"quibocfg.dat"},
    {Code::FileOffer, u"|600", 522, u""},       {Code::FileBusy, u"|601", 75, u""},
    {Code::FileReceived, u"|602", 75, u""},     {Code::FileDeclined, u"|603", 75, u""},
    {Code::ChatRequest, u"|700", 75, u""},      {Code::ChatDeclined, u"|702", 75, u""},
    {Code::ChatBusy, u"|703", 75, u""},         {Code::ChatClosed, u"|704", 75, u""},
};

QString s(const char16_t *text)
{
    return QString::fromUtf16(text);
}

} // namespace

TEST(CodeTable, EveryCodeHasItsTextBlockAndClips)
{
    ASSERT_EQ(codeTable().size(), static_cast<qsizetype>(std::size(CodeCases)));
    for (const CodeCase &c : CodeCases) {
        const CodeEntry &e = codeEntry(c.code);
        EXPECT_EQ(e.text, s(c.text));
        EXPECT_EQ(e.blockSize, c.block) << e.text.toStdString();
        EXPECT_EQ(e.clips.join(u','), s(c.clips)) << e.text.toStdString();
        EXPECT_EQ(matchCode(e.text), c.code) << "a bare code matches itself";
    }
}

TEST(CodeTable, MatchesComparesFourOrFiveCharactersAndLeavesTheRestAsPayload)
{
    struct Case {
        const char16_t *body;
        std::optional<Code> code;
        const char16_t *payload;
    };
    const Case cases[] = {
        {u"|0011.2.3.4", Code::Online, u"1.2.3.4"},
        {u"|600123<a.txt", Code::FileOffer, u"123<a.txt"},
        {u"|3001", Code::Smile, u"1"},
        {u"|JAMMING", Code::Jam, u"MING"},
        {u"|FARTS", Code::Fart, u"S"},
        {u"|FARX", std::nullopt, u""},
        {u"|BURR", std::nullopt, u""},
        {u"|FAR", std::nullopt, u""},
        {u"|307", std::nullopt, u""},
        {u"|701", std::nullopt, u""},
        {u"|jam", std::nullopt, u""},
        {u"hello |300", std::nullopt, u""},
        {u"", std::nullopt, u""},
        {u"|", std::nullopt, u""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(matchCode(s(c.body)), c.code) << QString::fromUtf16(c.body).toStdString();
        if (c.code) {
            EXPECT_EQ(payloadAfter(s(c.body), *c.code), s(c.payload));
        }
    }
}

TEST(RecordBuilding, BlocksHaveTheirExactSizeWithTextTerminatorAndZeroPadding)
{
    for (const qsizetype size : {MessageBlock, ShortBlock, RefusalBlock, TinyBlock}) {
        const QByteArray block = buildRecord(QStringLiteral("alice"), QStringLiteral("|003"), size);
        ASSERT_EQ(block.size(), size);
        EXPECT_TRUE(block.startsWith("alice||003"));
        EXPECT_EQ(block.mid(10), QByteArray(size - 10, '\0'));
    }
}

TEST(RecordBuilding, TextTooLongForItsBlockIsCutSoItsTerminatorFits)
{
    // "|003" from a 10-character handle: 15 characters and the terminator in 20 bytes.
    const QByteArray tiny = buildRecord(QStringLiteral("abcdefghij"), QStringLiteral("|003"), TinyBlock);
    EXPECT_EQ(tiny, QByteArray("abcdefghij||003") + QByteArray(5, '\0'));

    const QByteArray full = buildRecord(QStringLiteral("abcdefghij"), QString(600, u'x'), MessageBlock);
    ASSERT_EQ(full.size(), MessageBlock);
    EXPECT_EQ(full.indexOf('\0'), MessageBlock - 1);
    EXPECT_EQ(full.left(11), QByteArray("abcdefghij|"));
}

TEST(RecordBuilding, CutNeverSplitsACharacter)
{
    // 18 ASCII bytes then a 2-byte character: the terminator must sit at byte 18 or 19.
    const QByteArray block = buildBlock(QString(18, u'a') + QStringLiteral("éé"), TinyBlock);
    ASSERT_EQ(block.size(), TinyBlock);
    EXPECT_EQ(QString::fromUtf8(block.constData()), QString(18, u'a'));
}

TEST(RecordBuilding, ShortRecordIsHandleBarCodePayloadIn75Bytes)
{
    const QByteArray block = buildShortRecord(QStringLiteral("bob"), QStringLiteral("|601"), QStringLiteral("a.zip"));
    ASSERT_EQ(block.size(), ShortBlock);
    EXPECT_EQ(QByteArray(block.constData()), QByteArray("bob||601a.zip"));
}

TEST(RecordParsing, TextEndsAtTheFirstZeroOrAfterTheLastByteRead)
{
    struct Case {
        QByteArray received;
        const char16_t *handle;
        const char16_t *body;
        bool separator;
    };
    const Case cases[] = {
        {QByteArray("bob|hi\0junk|x", 13), u"bob", u"hi", true},
        {"bob|hi there", u"bob", u"hi there", true},
        {"bob||0011.2.3.4", u"bob", u"|0011.2.3.4", true},
        {"no separator", u"no separator", u"", false},
        {"", u"", u"", false},
        {QByteArray("\0bob|hi", 7), u"", u"", false},
        {"|body", u"", u"body", true},
        {"a|b|c", u"a", u"b|c", true},
    };
    for (const Case &c : cases) {
        const PeerText t = parseRecord(c.received);
        EXPECT_EQ(t.handle, s(c.handle)) << c.received.toStdString();
        EXPECT_EQ(t.body, s(c.body)) << c.received.toStdString();
        EXPECT_EQ(t.hasSeparator, c.separator) << c.received.toStdString();
    }
}

TEST(RecordParsing, KeepsAt511BytesAndDropsAPartialCharacterAtTheEnd)
{
    const QByteArray big = "abcdefghij|" + QByteArray(600, 'y');
    EXPECT_EQ(parseRecord(big).text.size(), 511);

    // A 512-character message from a 10-character handle arrives as its first 500 characters.
    const QByteArray sent = buildRecord(QStringLiteral("abcdefghij"), QString(512, u'm'), MessageBlock);
    EXPECT_EQ(parseRecord(sent.left(ReadLimit)).body, QString(500, u'm'));

    QByteArray cutInside = "bob|" + QString(260, u'é').toUtf8(); // 524 bytes: cut at 511 splits a character
    const PeerText t = parseRecord(cutInside);
    EXPECT_EQ(t.body, QString(253, u'é'));
}

TEST(RecordParsing, FileOfferNeedsALessThanAfterTheCode)
{
    struct Case {
        const char16_t *body;
        bool ok;
        const char16_t *size;
        const char16_t *name;
    };
    const Case cases[] = {
        {u"|6001234<song.mp3", true, u"1234", u"song.mp3"},
        {u"|600<empty size", true, u"", u"empty size"},
        {u"|6001234567890123<big.iso", true, u"1234567890123", u"big.iso"},
        {u"|600a<b<c", true, u"a", u"b<c"},
        {u"|6001234", false, u"", u""},
        {u"|601x<y", false, u"", u""},
    };
    for (const Case &c : cases) {
        const auto offer = parseFileOffer(s(c.body));
        ASSERT_EQ(offer.has_value(), c.ok) << QString::fromUtf16(c.body).toStdString();
        if (offer) {
            EXPECT_EQ(offer->sizeText, s(c.size));
            EXPECT_EQ(offer->fileName, s(c.name));
        }
    }
}
