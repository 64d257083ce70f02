#include "RunTask.h"
#include "TestClient.h"
#include "TestFiles.h"

#include "contacts/ContactBook.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {

struct ContactsFileTest : ::testing::Test {
    TestClient t;
    ContactBook &book = t.client->contactBook();
    ContactTable &table = t.client->contacts();
    QString path = t.client->workDir().file(QStringLiteral("contacts.dat"));

    void remove(int index) { ASSERT_TRUE(runToEnd(book.DeleteContact(index, DialogOwner::MainWindow))); }
};

} // namespace

TEST(ContactsFileFormat, ReadsCrLfOrLfSkipsBlankLinesAndCutsLongHandles)
{
    struct Case {
        QByteArray content;
        QStringList handles;
    };
    const Case cases[] = {
        {"LoopBack\r\nalice\r\n", {QStringLiteral("LoopBack"), QStringLiteral("alice")}},
        {"alice\nbob\r\ncarol", {QStringLiteral("alice"), QStringLiteral("bob"), QStringLiteral("carol")}},
        {"alice\r\n\r\n\nbob\n", {QStringLiteral("alice"), QStringLiteral("bob")}},
        {"averyveryverylonghandle\n", {QStringLiteral("averyveryve")}},
        {"", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(contacts_file::parse(c.content), c.handles) << c.content.toStdString();
    EXPECT_EQ(contacts_file::format({QStringLiteral("a"), QStringLiteral("b")}), QByteArray("a\r\nb\r\n"));
}

TEST_F(ContactsFileTest, MissingFileIsCreatedWithLoopBackAndHandlesLoadInFileOrder)
{
    book.LoadContacts();
    EXPECT_EQ(readFile(path), QByteArray("LoopBack\r\n"));
    ASSERT_EQ(table.contactCount(), 1);
    EXPECT_EQ(table.contact(0).handle, QStringLiteral("LoopBack"));

    writeFile(path, "alice\r\nbob\nalice");
    book.LoadContacts();
    ASSERT_EQ(table.contactCount(), 3);
    EXPECT_EQ(table.FindContactByHandle(QStringLiteral("alice")), 2) << "duplicates are kept";
}

TEST_F(ContactsFileTest, AppendingStartsANewLineWhenTheLastHasNone)
{
    writeFile(path, "alice");
    EXPECT_TRUE(book.AppendContactToFile(QStringLiteral("bob")));
    EXPECT_TRUE(book.AppendContactToFile(QStringLiteral("carol")));
    EXPECT_EQ(readFile(path), QByteArray("alice\r\nbob\r\ncarol\r\n"));
}

TEST_F(ContactsFileTest, DeletingNeverLeavesNoContactAndSaysWhy)
{
    writeFile(path, "LoopBack\r\nalice\r\n");
    book.LoadContacts();
    table.MarkContactOnline(1, QStringLiteral("10.0.0.2"));
    remove(1);
    EXPECT_EQ(readFile(path), QByteArray("LoopBack\r\n"));
    EXPECT_TRUE(table.contact(1).deleted);
    EXPECT_EQ(t.mainWindow.items, QStringList{QStringLiteral("alice")}) << "listed until restart";
    EXPECT_EQ(table.FindContactByHandle(QStringLiteral("alice")), 1);
    remove(0);
    remove(1);
    EXPECT_EQ(t.ui.log,
              (QStringList{
                  QStringLiteral("message|Contact Deleted!|Change Will Take Effect When You Restart"),
                  QStringLiteral("message|You Cannot Delete All Of Your Contacts|"),
                  QStringLiteral("message|Contact Already Deleted|Restart To Make Changes Take Effect"),
              }));
    EXPECT_EQ(readFile(path), QByteArray("LoopBack\r\n"));
    EXPECT_FALSE(table.contact(0).deleted);
}

TEST_F(ContactsFileTest, DeletingTwiceWithThreeContactsRewritesTheSameFile)
{
    writeFile(path, "LoopBack\nalice\nbob\n");
    book.LoadContacts();
    remove(1);
    const QByteArray once = readFile(path);
    remove(1);
    EXPECT_EQ(readFile(path), once);
    EXPECT_EQ(once, QByteArray("LoopBack\r\nbob\r\n"));
    EXPECT_EQ(
        t.ui.log.count(QStringLiteral("message|Contact Deleted!|Change Will Take Effect When You Restart")),
        2);
}

TEST_F(ContactsFileTest, HandlesBeyondTheTableSurviveARewrite)
{
    QByteArray content;
    for (int i = 0; i < 120; ++i)
        content += "u" + QByteArray::number(i) + "\n";
    writeFile(path, content);
    book.LoadContacts();
    EXPECT_EQ(table.contactCount(), ContactTable::Capacity);
    remove(5);
    const QStringList kept = contacts_file::parse(readFile(path));
    EXPECT_EQ(kept.size(), 119);
    EXPECT_FALSE(kept.contains(QStringLiteral("u5")));
    EXPECT_EQ(kept.last(), QStringLiteral("u119"));
}

TEST(ContactsFileUnwritable, NothingFailsHardAndNoDeletionIsClaimed)
{
    TestClient t;
    QFile blocker(t.dir.filePath(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    // A working directory below a plain file: nothing can be read or written there, even as root.
    const WorkingDirectory unusable(QDir(blocker.fileName() + QStringLiteral("/work")));
    ContactsFile file(unusable);
    MainWindowOnlineList list(t.mainWindow);
    ContactTable table(list);
    ContactBook book(table, file, t.client->notices());

    book.LoadContacts();
    ASSERT_EQ(table.contactCount(), 1);
    EXPECT_EQ(table.contact(0).handle, QStringLiteral("LoopBack"));
    EXPECT_FALSE(book.AppendContactToFile(QStringLiteral("alice")));
    ASSERT_TRUE(table.AddContactRecord(QStringLiteral("alice"), QStringLiteral("0"), false));

    ASSERT_TRUE(runToEnd(book.DeleteContact(1, DialogOwner::MainWindow)));
    EXPECT_EQ(t.ui.log, QStringList{QStringLiteral("message|Contact Not Deleted|Can't Write contacts.dat")});
    EXPECT_FALSE(table.contact(1).deleted);
}
