// How a chat line is broken into rows, and what travels for it.
#include "channel/ChannelLine.h"

#include <gtest/gtest.h>

using namespace quibo::channel;

namespace {

// `words` joined by single spaces.
QString words(std::initializer_list<QString> parts)
{
    return QStringList(parts).join(u' ');
}

QString repeated(QChar c, qsizetype n)
{
    return QString(n, c);
}

} // namespace

TEST(ChannelRows, BreaksAtTheLastSpaceBeforeEachColumnAndNeverLosesText)
{
    const QString a70 = repeated(u'a', 70);
    const QString b70 = repeated(u'b', 70);
    const QString c70 = repeated(u'c', 70);
    const QString x72 = repeated(u'x', 72);
    const QString e = QStringLiteral("é"); // two UTF-8 bytes, one character
    const struct {
        QString line;
        QStringList rows;
    } cases[] = {
        {repeated(u'a', 71), {repeated(u'a', 71)}},
        {words({a70, QStringLiteral("z")}), {a70, QStringLiteral("z")}},                    // 72
        {words({a70, repeated(u'b', 72)}), {a70, repeated(u'b', 72)}},                      // 143
        {words({a70, b70, QStringLiteral("c")}), {a70, b70 + QStringLiteral(" c")}},        // 143
        {words({a70, b70, QStringLiteral("cc")}), {a70, b70 + u' ', QStringLiteral("cc")}}, // 144
        // Three rows hold what fits; the rest of an over-long peer line is not shown.
        {words({a70, b70, c70 + repeated(u'd', 90)}), {a70, b70 + u' ', c70 + repeated(u'd', 2)}},
        // No space before column 72: cut hard every 72 characters.
        {repeated(u'x', 300), {x72, x72, x72, x72, repeated(u'x', 12)}},
        // No space between columns 72 and 144: the rest is cut hard.
        {words({a70, repeated(u'y', 144)}), {a70, repeated(u'y', 72), repeated(u'y', 72)}},
        // A short prefix and one long word: nothing of the word is lost.
        {words({QStringLiteral("bob>"), repeated(u'w', 130)}),
         {QStringLiteral("bob>"), repeated(u'w', 72), repeated(u'w', 58)}},
        // Columns count characters, not bytes.
        {words({repeated(e[0], 70), repeated(e[0], 3)}), {repeated(e[0], 70), repeated(e[0], 3)}},
        {repeated(e[0], 80), {repeated(e[0], 72), repeated(e[0], 8)}},
    };
    for (const auto &c : cases) {
        const QStringList rows = channelRows(c.line);
        EXPECT_EQ(rows, c.rows) << c.line.size();
        for (const QString &row : rows)
            EXPECT_LE(row.size(), RowWidth);
    }
}

TEST(ChannelLine, BlocksNoticesAndSenders)
{
    const QString line = composeLine(QStringLiteral("anna"), QStringLiteral("hi all"));
    EXPECT_EQ(line, QStringLiteral("anna> hi all"));
    const QByteArray block = lineBlock(line);
    EXPECT_EQ(block.size(), LineBytes);
    EXPECT_EQ(receivedLine(block), line);
    EXPECT_EQ(noticeBytes(QStringLiteral("anna>") + JoinedNotice),
              QByteArray("anna> <-- Has Joined The Channel --> \0", 38));
    EXPECT_EQ(receivedLine(lineBlock(repeated(u'q', 600))).size(), LineBytes - 1);

    EXPECT_EQ(senderOf(QStringLiteral("bob> hi")), QStringLiteral("bob"));
    EXPECT_EQ(senderOf(QStringLiteral("no prefix")), QStringLiteral("no prefix"));
    EXPECT_EQ(senderOf(QStringLiteral("> hi")), QString());
}
