#include "TestClient.h"

#include "base/LogonState.h"
#include "contacts/ContactTable.h"
#include "peer/Dispatcher.h"
#include "peer/PeerRecord.h"

#include <stdexcept>

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

// Codes are told apart by their start alone: a code that begins a registered one, or is begun
// by one, is refused as the client is put together.
TEST(Dispatcher, RefusesACodeThatBeginsOrIsBegunByAnother)
{
    const LogonState logon;
    test::ScriptedMainWindow view;
    MainWindowOnlineList list(view);
    const ContactTable contacts(list);
    Dispatcher dispatcher(logon, contacts);
    const auto nothing = [](Origin, QString) -> QCoro::Task<> { co_return; };
    for (const char16_t *code : {u"|300", u"|JAM", u"|600"})
        dispatcher.on({code}, nothing);
    for (const char16_t *clash : {u"|30", u"|3001", u"|JAMS", u"|60", u"|600", u"|"})
        EXPECT_THROW(dispatcher.on({clash}, nothing), std::logic_error) << s(clash).toStdString();
    EXPECT_NO_THROW(dispatcher.on({u"|310"}, nothing));
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
        {buildRecord(u"bob"_s, {u"|601", ShortBlock}, u"a.zip"_s), ShortBlock, "bob||601a.zip"},
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
        EXPECT_EQ(t.hasSeparator(), c.separator) << c.received.toStdString();
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
