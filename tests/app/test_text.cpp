#include "base/Config.h"
#include "base/Utf8.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quibo;

TEST(Utf8Cut, NeverSplitsACharacter)
{
    struct Case {
        const char16_t *text;
        qsizetype maxBytes;
        const char16_t *expected;
    };
    const Case cases[] = {
        {u"hello", 10, u"hello"},           {u"hello", 3, u"hel"},
        {u"h\u00e9llo", 2, u"h"},           {u"h\u00e9llo", 3, u"h\u00e9"},
        {u"\u20ac\u20ac", 5, u"\u20ac"},    {u"\U0001F600x", 3, u""},
        {u"\U0001F600x", 4, u"\U0001F600"}, {u"abc", 0, u""},
    };
    for (const Case &c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(utf8::cut(text, c.maxBytes), QString::fromUtf16(c.expected))
            << text.toStdString() << " " << c.maxBytes;
        EXPECT_LE(utf8::encodeCut(text, c.maxBytes).size(), c.maxBytes);
    }
}

TEST(Utf8Cut, DropsAPartialSequenceAtTheEndOfReceivedBytes)
{
    const QByteArray euro = QStringLiteral("a\u20ac").toUtf8();
    EXPECT_EQ(utf8::trimPartialTail(euro.left(3)), QByteArray("a"));
    EXPECT_EQ(utf8::trimPartialTail(euro), euro);
    EXPECT_EQ(utf8::trimPartialTail(QByteArray("\x80\x80", 2)), QByteArray("\x80\x80", 2))
        << "stray bytes stay";
}

TEST(ConfigDirectory, AcceptsHostAndHostPort)
{
    Config c;
    EXPECT_TRUE(c.setDirectory(QStringLiteral("dir.example")));
    EXPECT_EQ(c.directoryAuthority(), QStringLiteral("dir.example"));
    EXPECT_TRUE(c.setDirectory(QStringLiteral("127.0.0.1:8080")));
    EXPECT_EQ(c.directoryHost, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(c.directoryPort, 8080);
    EXPECT_EQ(c.directoryAuthority(), QStringLiteral("127.0.0.1:8080"));
    for (const char *bad : {"", ":80", "host:", "host:0", "host:99999", "host:x"})
        EXPECT_FALSE(c.setDirectory(QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(c.directoryHost, QStringLiteral("127.0.0.1")) << "a bad value changes nothing";
}

TEST(ConfigPorts, TakesFourPortsOrNothing)
{
    Config c;
    EXPECT_TRUE(c.setPorts(QStringLiteral("6800, 6900,5690,8000")));
    EXPECT_EQ(std::vector<int>({c.peerPort, c.channelPort, c.privateChatPort, c.webPort}),
              std::vector<int>({6800, 6900, 5690, 8000}));
    for (const char *bad : {"", "1,2,3", "1,2,3,4,5", "1,2,3,0", "1,2,3,65536", "1,2,x,4"})
        EXPECT_FALSE(c.setPorts(QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(c.webPort, 8000) << "a bad value changes nothing";
}
