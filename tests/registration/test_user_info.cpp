#include "directory/UserInfo.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quibo;

namespace {

// Every field at its limit: ASCII, then two-byte characters (plus one ASCII where the limit is odd).
UserInfo atLimits(QChar fill)
{
    UserInfo info;
    const qsizetype width = fill.unicode() < 0x80 ? 1 : 2;
    for (const UserInfoField &field : userInfoFields)
        info.*field.member = QString(field.maxBytes / width, fill) + QString(field.maxBytes % width, u'x');
    return info;
}

UserInfo decoded(const char *file)
{
    return decodeUserInfoFile(QByteArray(file));
}

} // namespace

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
        const UserInfo info = decoded(c.file);
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
