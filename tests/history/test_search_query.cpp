#include "history/SearchQuery.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace Qt::StringLiterals;

namespace {

// Whatever is typed stays inside quoted phrases; only the last word, once it has two
// characters, may be the start of a longer one.
TEST(SearchQuery, TypedTextBecomesQuotedPhrases)
{
    const struct {
        QString typed;
        QString query;
    } cases[] = {
        {u""_s, u""_s},
        {u"   "_s, u""_s},
        {u"* - ( ) :"_s, u""_s},
        {u"h"_s, u"\"h\""_s},
        {u"he"_s, u"\"he\"*"_s},
        {u"hello world"_s, u"\"hello\" \"world\"*"_s},
        {u"  hello\tw "_s, u"\"hello\" \"w\""_s},
        {u"say \"hi\""_s, u"\"say\" \"\"\"hi\"\"\""_s},
        {u"NEAR(a b) OR c*"_s, u"\"NEAR(a\" \"b)\" \"OR\" \"c*\""_s},
        {u"text:x^y"_s, u"\"text:x^y\""_s},
        {u"can't"_s, u"\"can't\""_s},
        {u"a\u0000b"_s, u"\"a\" \"b\""_s},
        {u"café"_s, u"\"café\"*"_s},
        {u"😀"_s, u""_s},
        {u"😀 ok"_s, u"\"ok\"*"_s},
    };
    for (const auto &c : cases)
        EXPECT_EQ(fts::query(c.typed), c.query) << c.typed.toStdString();
}

TEST(SearchQuery, MarksAreReadOnlyWhenTheyAgreeWithTheText)
{
    const QString open(QChar(fts::MarkOpen));
    const QString close(QChar(fts::MarkClose));
    const struct {
        QString marked;
        QString original;
        QList<TextSpan> spans;
    } cases[] = {
        {u"no marks"_s, u"no marks"_s, {}},
        {open + u"Hi"_s + close + u" there "_s + open + u"hi"_s + close, u"Hi there hi"_s, {{0, 2}, {9, 2}}},
        {open + u"Hi"_s + close, u"Ho"_s, {}},
        {open + u"Hi"_s, u"Hi"_s, {}},
        {open + open + u"Hi"_s + close, u"Hi"_s, {}},
        {u"a"_s + open + close + u"b"_s, u"ab"_s, {}},
        {open + u"x"_s + close + open, u"x"_s + open, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(fts::markedSpans(c.marked, c.original), c.spans) << c.original.toStdString();
}

} // namespace
