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

} // namespace

TEST(ChannelRows, BreaksAtTheLastSpaceBeforeEachColumnAndNeverLosesText)
{
    const QString a70 = QString(70, u'a');
    const QString b70 = QString(70, u'b');
    const QString c70 = QString(70, u'c');
    const QString x72 = QString(72, u'x');
    const QString e = QStringLiteral("é"); // two UTF-8 bytes, one character
    const struct {
        QString line;
        QStringList rows;
    } cases[] = {
        {QString(71, u'a'), {QString(71, u'a')}},
        {words({a70, QStringLiteral("z")}), {a70, QStringLiteral("z")}},                    // 72
        {words({a70, QString(72, u'b')}), {a70, QString(72, u'b')}},                        // 143
        {words({a70, b70, QStringLiteral("c")}), {a70, b70 + QStringLiteral(" c")}},        // 143
        {words({a70, b70, QStringLiteral("cc")}), {a70, b70 + u' ', QStringLiteral("cc")}}, // 144
        // Three rows hold what fits; the rest of an over-long peer line is not shown.
        {words({a70, b70, c70 + QString(90, u'd')}), {a70, b70 + u' ', c70 + QString(2, u'd')}},
        // No space before column 72: cut hard every 72 characters.
        {QString(300, u'x'), {x72, x72, x72, x72, QString(12, u'x')}},
        // No space between columns 72 and 144: the rest is cut hard.
        {words({a70, QString(144, u'y')}), {a70, QString(72, u'y'), QString(72, u'y')}},
        // A short prefix and one long word: nothing of the word is lost.
        {words({QStringLiteral("bob>"), QString(130, u'w')}),
         {QStringLiteral("bob>"), QString(72, u'w'), QString(58, u'w')}},
        // Columns count characters, not bytes.
        {words({QString(70, e[0]), QString(3, e[0])}), {QString(70, e[0]), QString(3, e[0])}},
        {QString(80, e[0]), {QString(72, e[0]), QString(8, e[0])}},
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
    EXPECT_EQ(receivedLine(lineBlock(QString(600, u'q'))).size(), LineBytes - 1);

    EXPECT_EQ(senderOf(QStringLiteral("bob> hi")), QStringLiteral("bob"));
    EXPECT_EQ(senderOf(QStringLiteral("no prefix")), QStringLiteral("no prefix"));
    EXPECT_EQ(senderOf(QStringLiteral("> hi")), QString());
}
