// userinfo.dat, and the pages made from the user's info, byte for byte.
#include "FakePlatform.h"

#include "base/WorkingDirectory.h"
#include "directory/ContactPages.h"
#include "directory/Pages.h"
#include "directory/UserInfo.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::pages;

namespace {

const QString origin = QStringLiteral("http://dir.example:8080");

UserInfo bill()
{
    UserInfo info;
    info.password = QStringLiteral("secret");
    info.firstName = QStringLiteral("Bill");
    info.lastName = QStringLiteral("Smith");
    info.email = QStringLiteral("bill@example.org");
    info.city = QStringLiteral("Z\u00fcrich");
    info.state = QStringLiteral("Oregon");
    info.country = QStringLiteral("USA");
    info.sex = QStringLiteral("M");
    info.age = QStringLiteral("42");
    info.personalInfo = QStringLiteral("<b>Chess</b> & <a href=\"x.htm\">more</a>");
    return info;
}

// Every field filled, registration form; markup and non-ASCII values go in unaltered.
const char fullRegistrationPage[] =
    "<html>\r\n<head>\r\n<title> Quibo32 - bill's User Info</title>\r\n</head>\r\n"
    "<body BACKGROUND=\"bg.gif\" BGCOLOR=\"#f5f5f5\">"
    "<CENTER>\r\n<font color=\"blue\" size=\"3\"> <b>User Info For <font color=\"black\">bill</font></b> "
    "</font>\r\n"
    "<BR><BR>"
    "<font color=\"blue\" size=\"2\">Name: <font color=\"black\">Bill "
    "Smith&nbsp;&nbsp;&nbsp;&nbsp;\r\n"
    "<a href=\"mailto:bill@example.org\">bill@example.org</a><BR><BR>\r\n"
    "<font color=\"blue\">City:<font color=\"black\"> Z\xc3\xbcrich &nbsp;&nbsp;&nbsp;"
    "<font color=\"blue\">State:<font color=\"black\"> Oregon&nbsp;&nbsp;&nbsp;"
    "<font color=\"blue\">Country:<font color=\"black\"> USA<BR><BR>\r\n"
    "<font color=\"blue\">Sex: <font color=\"black\">M &nbsp;&nbsp;&nbsp;"
    "<font color=\"blue\">Age:<font color=\"black\"> 42<BR><BR>\r\n"
    "<font color=\"blue\">Personal Interests, Hobbies, Etc.<BR>\r\n<font color=\"black\">"
    "<b>Chess</b> & <a href=\"x.htm\">more</a>\r\n"
    "<BR><BR><HR>\r\n<a href=\"index.htm\"> Go To My Web Page</a><BR><BR>"
    "<a href=\"http://dir.example:8080/Quibo/footer.cgi\">"
    "<img src=\"http://dir.example:8080/Quibo/banner.cgi\" border=\"0\" width=\"400\" height=\"40\" "
    "alt=\"Click Here\"></a>"
    "\r\n</CENTER>\r\n</body></HTML>";

// Every field empty, change form: the N/A pieces, and pieces 6 and 12 with nothing inserted.
const char emptyChangePage[] =
    "<html>\r\n<head>\r\n<title> Quibo32 - bill's User Info</title>\r\n</head>\r\n"
    "<body BACKGROUND=\"bg.gif\" BGCOLOR=\"#f5f5f5\">"
    "<CENTER>\r\n<font color=\"blue\" size=\"3\"> <b>User Info For <font color=\"black\">bill</b>\r\n<BR><BR>"
    "<font color=\"blue\" size=\"2\">Name: <font color=\"black\">N/A "
    "N/A&nbsp;&nbsp;&nbsp;&nbsp;\r\n"
    "<a href=\"mailto:\"></a><BR><BR>\r\n"
    "<font color=\"blue\">City:<font color=\"black\"> N/A &nbsp;&nbsp;&nbsp;"
    "<font color=\"blue\">State:<font color=\"black\"> N/A&nbsp;&nbsp;&nbsp;"
    "<font color=\"blue\">Country:<font color=\"black\"> N/A<BR><BR>\r\n"
    "<font color=\"blue\">Sex: <font color=\"black\">N/A &nbsp;&nbsp;&nbsp;"
    "<font color=\"blue\">Age:<font color=\"black\"> N/A<BR><BR>\r\n"
    "<font color=\"blue\">Personal Interests, Hobbies, Etc.<BR>\r\n<font color=\"black\">\r\n"
    "<BR><BR><HR>\r\n<a href=\"index.htm\"> Go To My Web Page</a><BR><BR>"
    "<a href=\"http://dir.example:8080/Quibo/footer.cgi\">"
    "<img src=\"http://dir.example:8080/Quibo/banner.cgi\" border=\"0\" width=\"400\" height=\"40\" "
    "alt=\"Click Here\"></a>"
    "\r\n</CENTER>\r\n</body></HTML>";

const char billsWebPage[] = "<html>\r\n<head>\r\n<title> Quibo32 - bill's Web Site</title>\r\n</head>\r\n"
                            "<body BACKGROUND=\"bg.gif\" BGCOLOR=\"#f5f5f5\">"
                            "<BR><BR><CENTER><font color=\"blue\"><b>"
                            "bill's <font color=\"black\">Web Site Is Under Construction"
                            "<BR><BR><a href=\"userinfo.htm\">View My User Info</a>"
                            "</b></font></CENTER></body></html>";

const char redirectToUserInfo[] = "<html>\r\n<head>\r\n"
                                  "<meta http-equiv = \"refresh\" content = \" 1 ; "
                                  "URL=http://10.0.0.7/userinfo.htm\">\r\n"
                                  "</head>\r\n<body>\r\n<script language=\"Javascript\">\r\n"
                                  "location = \"http://10.0.0.7/userinfo.htm\"</script>\r\n"
                                  "<center>Connecting To Quibo32 Web Site ..<BR><BR>\r\n"
                                  "If Your Browser Doesn't Support Redirection\r\n"
                                  "<a href=\"http://10.0.0.7/userinfo.htm\">Click Here</a>\r\n</body>";

// Every field at its limit: ASCII, then two-byte characters (plus one ASCII where the limit is odd).
UserInfo atLimits(QChar fill)
{
    UserInfo info;
    const qsizetype width = fill.unicode() < 0x80 ? 1 : 2;
    for (const UserInfoField &field : userInfoFields)
        info.*field.member = QString(field.maxBytes / width, fill) + QString(field.maxBytes % width, u'x');
    return info;
}

} // namespace

// The redirect names its target in all three places.
TEST(Pages, ByteForByte)
{
    const std::optional<QString> target =
        contactPageAddress(QStringLiteral("10.0.0.7"), ContactPage::UserInfo);
    ASSERT_TRUE(target);
    EXPECT_EQ(*target, QStringLiteral("http://10.0.0.7/userinfo.htm"));
    const std::pair<QByteArray, const char *> cases[] = {
        {userInfoPage(UserInfoForm::Registration, QStringLiteral("bill"), bill(), origin),
         fullRegistrationPage},
        {userInfoPage(UserInfoForm::Change, QStringLiteral("bill"), UserInfo{}, origin), emptyChangePage},
        {personalWebPage(QStringLiteral("bill")), billsWebPage},
        {redirectPage(*target), redirectToUserInfo},
    };
    for (const auto &[page, expected] : cases)
        EXPECT_EQ(page, QByteArray(expected));
}

TEST(ContactPageAddress, OnlyDottedIPv4AddressesAreLetThrough)
{
    for (const char *ok : {"127.0.0.1", "0.0.0.0", "255.255.255.255", "192.168.10.200"})
        EXPECT_TRUE(contactPageAddress(QString::fromLatin1(ok), ContactPage::WebPage)) << ok;
    for (const char *bad :
         {"0", "", "1.2.3", "1.2.3.4.5", "256.1.1.1", "01.2.3.4", " 1.2.3.4", "1.2.3.4:80", "example.org",
          "1.2.3.4\"><script>alert(1)</script>", "::1", "1.2.3.-4", "1.2.3.\xd9\xa4"})
        EXPECT_FALSE(contactPageAddress(QString::fromUtf8(bad), ContactPage::WebPage)) << bad;
}

TEST(ContactPages, AnAddressThatIsNotIPv4WritesAndOpensNothing)
{
    QTemporaryDir dir;
    const WorkingDirectory work{QDir(dir.path())};
    test::FakeShell shell;
    ContactPages contactPages(work, shell);
    for (const char *bad : {"0", "\"><script>x</script>"})
        EXPECT_FALSE(contactPages.open(QString::fromLatin1(bad), ContactPage::WebPage)) << bad;
    EXPECT_FALSE(QFile::exists(work.file(QStringLiteral("webpage.htm"))));
    EXPECT_TRUE(shell.opened.isEmpty());
}

TEST(UserInfoFile, FieldsWithinTheirLimitsComeBackUnchangedFromTheDisk)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("userinfo.dat"));
    EXPECT_FALSE(readUserInfoFile(path)) << "a missing file is not an empty record";
    UserInfo some;
    some.password = QStringLiteral("\u20ac\u20ac\u20acx");
    some.city = QStringLiteral("K\u00f8benhavn");
    some.age = QStringLiteral("7");
    for (const UserInfo &info : {atLimits(u'a'), atLimits(u'\u00e9'), some}) {
        ASSERT_TRUE(writeUserInfoFile(path, info));
        EXPECT_EQ(readUserInfoFile(path), info) << info.password.toStdString();
    }
    EXPECT_FALSE(writeUserInfoFile(dir.filePath(QStringLiteral("userinfo.dat/sub")), some));
}

TEST(UserInfoFile, ALongerHandEditedLineSpillsIntoTheNextField)
{
    struct Case {
        const char *file;
        std::array<const char *, 10> expected;
    };
    const Case cases[] = {
        // 12 characters of password: 10 kept, the rest becomes the first name and so on down.
        {"abcdefghijkl\r\nBill\r\nSmith\r\nb@x\r\n",
         {"abcdefghij", "kl", "Bill", "Smith", "b@x", "", "", "", "", ""}},
        // An age of four digits: "123" and "4"; the personal info line is never reached.
        {"p\nf\nl\ne\nc\ns\nn\nx\n1234\ninfo\n", {"p", "f", "l", "e", "c", "s", "n", "x", "123", "4"}},
        // A cut falls before a character it would split: 4 x "\u20ac" (12 bytes) keeps 3 (9 bytes).
        {"\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac\nBill\n",
         {"\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac", "\xe2\x82\xac", "Bill", "", "", "", "", "", "", ""}},
        // Exactly at the limit with CR LF: no spill.
        {"0123456789\r\nf\r\n", {"0123456789", "f", "", "", "", "", "", "", "", ""}},
        // A short file: the missing fields are empty; a last line without its line end still counts.
        {"pw\r\nfirst", {"pw", "first", "", "", "", "", "", "", "", ""}},
    };
    for (const Case &c : cases) {
        const UserInfo info = decodeUserInfoFile(QByteArray(c.file));
        for (std::size_t i = 0; i < userInfoFields.size(); ++i)
            EXPECT_EQ(info.*userInfoFields[i].member, QString::fromUtf8(c.expected[i]))
                << c.file << " field " << i;
    }
}

TEST(UserInfoFile, WritingCutsOverlongValuesAndKeepsEachValueOnItsLine)
{
    UserInfo info;
    info.password = QStringLiteral("0123456789abc");
    info.firstName = QStringLiteral("two\r\nlines");
    info.sex = QStringLiteral("\u00e9\u00e9\u00e9\u00e9"); // 8 bytes for a 6-byte field
    const UserInfo back = decodeUserInfoFile(encodeUserInfoFile(info));
    EXPECT_EQ(back.password, QStringLiteral("0123456789"));
    EXPECT_EQ(back.firstName, QStringLiteral("two  lines"));
    EXPECT_EQ(back.lastName, QString());
    EXPECT_EQ(back.sex, QStringLiteral("\u00e9\u00e9\u00e9"));
    EXPECT_EQ(encodeUserInfoFile(info).count("\r\n"), 10);
}
