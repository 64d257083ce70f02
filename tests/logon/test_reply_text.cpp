#include "TestFiles.h"

#include "base/WorkingDirectory.h"
#include "directory/DirectoryClient.h"
#include "directory/OwnAddress.h"
#include "directory/WorkingFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quibo;

namespace {
QString s(const char *text)
{
    return QString::fromUtf8(text);
}
} // namespace

TEST(ReplyText, FirstLineKeepsLimitMinusOneBytesAndDropsEitherLineEnd)
{
    struct Case {
        QByteArray body;
        int limit;
        const char *line;
    } cases[] = {
        {"secret\r\nrest", 11, "secret"},
        {"secret", 11, "secret"},                // no line end at all
        {"0123456789ABC\r\n", 11, "0123456789"}, // 10 bytes of content
        {"0123456789\r\n", 11, "0123456789"},    // exactly full: the CR is line end, not content
        {"\r\nsecond", 11, ""},
        {"255.255.255.255\n", 16, "255.255.255.255"},
        {"caf\xc3\xa9\xc3\xa9", 6, "caf\xc3\xa9"}, // 5 bytes: the second "é" would be split
        {"a\rb\n", 11, "a\rb"},                    // a lone CR is content
    };
    for (const Case &c : cases)
        EXPECT_EQ(reply_text::firstLine(c.body, c.limit), s(c.line))
            << c.body.constData() << " / " << c.limit;
}

TEST(ReplyText, BroadcastShowsUpToFiveLinesAndNothingForAnErrorPageOrBlankBody)
{
    struct Case {
        QByteArray body;
        QStringList lines;
    } cases[] = {
        {"Welcome\r\nto the directory\r\n", {s("Welcome"), s("to the directory")}},
        {"1\n2\n3\n4\n5\n6\n", {s("1"), s("2"), s("3"), s("4"), s("5")}},
        {QByteArray(81, 'a') + "\nb", {QString(80, u'a'), s("a"), s("b")}},
        {"<html><body>404</body></html>", {}},
        {"\r\n\r\n", {}},
        {" <b> is fine after a space", {s(" <b> is fine after a space")}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(reply_text::broadcastLines(c.body), c.lines) << c.body.constData();
}

// The broadcast and the address publication are checked, as sent, by the logon tests.
TEST(DirectoryTargets, EveryEndpointWithItsValuesPercentEncoded)
{
    UserInfoFields fields{s("p&w"), s("Ann Marie"), s("O'Neil"), s("a+b@x.org"), s("S\xc3\xa3o Paulo"),
                          s(""),    s("#1"),        s("f"),      s("30"),        s("100%")};
    struct Case {
        QByteArray target;
        QByteArray expected;
    } cases[] = {
        {directory_target::password(s("a&b=c")), "/ipinfo/readit.cgi?id=a%26b%3Dc"},
        {directory_target::address(s("x y#z")), "/ipadd/readit.cgi?id=x%20y%23z"},
        {directory_target::addressPage(s("a/../b")), "/ipadd/a%2F..%2Fb"},
        {directory_target::infoPage(s("Bill?")), "/ipinfo/Bill%3F"},
        {directory_target::registerUser(s("bill"), fields),
         "/ipinfo/register.cgi?id=bill&password=p%26w&first=Ann%20Marie&last=O%27Neil&email=a%2Bb%40x.org"
         "&city=S%C3%A3o%20Paulo&state=&country=%231&sex=f&age=30&persinfo=100%25"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.target, c.expected);
}

TEST(OwnAddress, HostNameFirstThenAnInterfaceThatIsUpThenLoopback)
{
    const QHostAddress lan(QStringLiteral("192.168.1.20"));
    const QHostAddress wlan(QStringLiteral("10.1.2.3"));
    const QHostAddress debianLoop(QStringLiteral("127.0.1.1"));
    const QHostAddress v6(QStringLiteral("fe80::1"));
    const InterfaceAddresses lo{true, true, {QHostAddress(QHostAddress::LocalHost)}};
    const InterfaceAddresses down{false, false, {lan}};
    const InterfaceAddresses up{true, false, {v6, wlan}};
    struct Case {
        QList<QHostAddress> hostName;
        QList<InterfaceAddresses> interfaces;
        const char *expected;
    } cases[] = {
        {{lan}, {lo, up}, "192.168.1.20"},
        {{v6, lan}, {lo, up}, "192.168.1.20"},      // the first IPv4 address
        {{debianLoop}, {lo, down, up}, "10.1.2.3"}, // loopback name: first interface up
        {{}, {lo, up}, "10.1.2.3"},                 // the name did not resolve
        {{debianLoop}, {lo, down}, "127.0.0.1"},    // nothing else
    };
    for (const Case &c : cases)
        EXPECT_EQ(chooseOwnAddress(c.hostName, c.interfaces), s(c.expected)) << c.expected;
}

TEST(OfferedFiles, OnlyPlainNamesInsideTheOfferFolder)
{
    QTemporaryDir dir;
    const WorkingDirectory work{QDir(dir.path())};
    EXPECT_EQ(offeredFilePath(work, s("photo 1.jpg")), dir.filePath(QStringLiteral("html/tmp/photo 1.jpg")));
    for (const char *name : {"", ".", "..", "../settings", "a/b", "..\\contacts.dat", "/etc/passwd"})
        EXPECT_EQ(offeredFilePath(work, s(name)), std::nullopt) << name;
}

TEST(FirstRun, MovesTheWorkingCopyOfBgGifOrCopiesTheInstalledOne)
{
    QTemporaryDir work;
    QTemporaryDir installed;
    ASSERT_TRUE(test::writeFile(installed.filePath(QStringLiteral("bg.gif")), "installed"));
    const WorkingDirectory dir{QDir(work.path()), {installed.path()}};
    const QString html = work.filePath(QStringLiteral("html/bg.gif"));

    ASSERT_TRUE(prepareFirstRun(dir));
    EXPECT_EQ(test::readFile(html), "installed");
    EXPECT_TRUE(QFile::exists(installed.filePath(QStringLiteral("bg.gif")))) << "the installed copy stays";
    EXPECT_TRUE(QDir(work.filePath(QStringLiteral("html/tmp"))).exists());

    ASSERT_TRUE(test::writeFile(work.filePath(QStringLiteral("bg.gif")), "own"));
    ASSERT_TRUE(prepareFirstRun(dir));
    EXPECT_EQ(test::readFile(html), "own") << "the working directory's copy replaces the one in html";
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("bg.gif"))));
}
