#include "QtPrinters.h"

#include "peer/PeerRecord.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::peer;
using namespace Qt::StringLiterals;

namespace {

QString s(const char16_t *text)
{
    return QString::fromUtf16(text);
}

} // namespace

// Each code in the order of Code, as "text block clips".
TEST(CodeTable, EveryCodeHasItsTextBlockAndClips)
{
    const QStringList expected =
        QStringLiteral("|001 522, |002 522, |003 20, |004 20, |005 20, |006 39, |007 522, "
                       "|300 522, |301 522, |302 522, |303 522, |304 522, |305 522, |306 522, "
                       "|400 522 lol.snd, |401 522 applause.snd, |402 522 catfight.snd, |403 522 hurl.snd, "
                       "|404 522 incoming.snd, |405 522 smootch.snd, |406 522 whip.snd, |407 522 woof.snd, "
                       "|408 522 boing.snd, |409 522 shoot.snd, |FART 522 sys1.snd, "
                       "|SICK 522 "
                       "sys1.snd,sys1.snd,sys2.snd,sys1.snd,sys2.snd,sys1.snd,hurl.snd,sys1.snd,sys1.snd,"
                       "sys2.snd,sys1.snd, "
                       "|BURP 522 sys2.snd, |JAM 522 quibocfg.dat, "
                       "|600 522, |601 75, |602 75, |603 75, |700 75, |702 75, |703 75, |704 75")
            .split(u", "_s);
    ASSERT_EQ(codeTable().size(), expected.size());
    QStringList actual;
    for (int i = 0; i < expected.size(); ++i) {
        const CodeEntry &e = codeEntry(static_cast<Code>(i));
        actual.append(u"%1 %2 %3"_s.arg(e.text).arg(e.blockSize).arg(e.clips.join(u',')).trimmed());
        EXPECT_EQ(matchCode(e.text), e.code) << "a bare code matches itself";
    }
    EXPECT_EQ(actual, expected);
}

TEST(CodeTable, MatchesComparesFourOrFiveCharactersAndLeavesTheRestAsPayload)
{
    const std::pair<const char16_t *, std::optional<Code>> cases[] = {
        {u"|0011.2.3.4", Code::Online},
        {u"|600123<a.txt", Code::FileOffer},
        {u"|3001", Code::Smile},
        {u"|JAMMING", Code::Jam},
        {u"|FARTS", Code::Fart},
        {u"|FARX", {}},
        {u"|FAR", {}},
        {u"|307", {}},
        {u"|jam", {}},
        {u"hello |300", {}},
        {u"|", {}},
    };
    for (const auto &[body, code] : cases)
        EXPECT_EQ(matchCode(s(body)), code) << s(body).toStdString();
    EXPECT_EQ(payloadAfter(u"|600123<a.txt"_s, Code::FileOffer), u"123<a.txt"_s);
    EXPECT_EQ(payloadAfter(u"|JAMMING"_s, Code::Jam), u"MING"_s);
}

// A block is the UTF-8 text, cut so that its terminator fits (never inside a character),
// then zero bytes up to its exact size.
TEST(RecordBuilding, TextTerminatorAndZeroPaddingInExactlyTheBlock)
{
    const struct {
        QByteArray block;
        qsizetype size;
        QByteArray text;
    } cases[] = {
        {buildRecord(u"alice"_s, u"|003"_s, TinyBlock), TinyBlock, "alice||003"},
        {buildRecord(u"abcdefghij"_s, u"|003"_s, TinyBlock), TinyBlock, "abcdefghij||003"},
        {buildRecord(u"abcdefghij"_s, QString(600, u'x'), MessageBlock), MessageBlock,
         "abcdefghij|" + QByteArray(510, 'x')},
        {buildBlock(QString(18, u'a') + u"éé"_s, TinyBlock), TinyBlock, QByteArray(18, 'a')},
        {buildShortRecord(u"bob"_s, u"|601"_s, u"a.zip"_s), ShortBlock, "bob||601a.zip"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.block.size(), c.size) << c.text.constData();
        EXPECT_EQ(c.block, c.text + QByteArray(c.size - c.text.size(), '\0'));
    }
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
        {"bob||0011.2.3.4", u"bob", u"|0011.2.3.4", true},
        {"no separator", u"no separator", u"", false},
        {QByteArray("\0bob|hi", 7), u"", u"", false},
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
    EXPECT_EQ(parseRecord("abcdefghij|" + QByteArray(600, 'y')).text.size(), 511);
    // A 512-character message from a 10-character handle arrives as its first 500 characters.
    const QByteArray sent = buildRecord(u"abcdefghij"_s, QString(512, u'm'), MessageBlock);
    EXPECT_EQ(parseRecord(sent.left(ReadLimit)).body, QString(500, u'm'));
    // 524 bytes: the cut at 511 falls inside a character.
    EXPECT_EQ(parseRecord("bob|" + QString(260, u'é').toUtf8()).body, QString(253, u'é'));
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
        ASSERT_EQ(offer.has_value(), c.ok) << s(c.body).toStdString();
        if (offer) {
            EXPECT_EQ(offer->sizeText, s(c.size));
            EXPECT_EQ(offer->fileName, s(c.name));
        }
    }
}
