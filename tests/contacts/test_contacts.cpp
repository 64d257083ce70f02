#include "QtPrinters.h"
#include "RunTask.h"
#include "TestClient.h"
#include "TestFiles.h"

#include "contacts/ContactBook.h"
#include "contacts/ContactTable.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {

// The list-index invariant, as a failure message or empty.
std::string invariantBroken(const ContactTable &table, const ScriptedMainWindow &list)
{
    QList<int> seen;
    for (const ContactRecord &r : table.records()) {
        if (r.listIndex == ContactTable::NotListed)
            continue;
        if (!r.online)
            return "listed but offline: " + r.handle.toStdString();
        if (r.listIndex < 0 || r.listIndex >= table.onlineCount() || seen.contains(r.listIndex))
            return "bad index " + std::to_string(r.listIndex);
        seen.append(r.listIndex);
        if (list.items.value(r.listIndex) != r.displayHandle)
            return "item " + std::to_string(r.listIndex) + " shows another contact";
    }
    if (seen.size() != table.onlineCount() || list.items.size() != table.onlineCount())
        return "count mismatch";
    return {};
}

struct Table : ::testing::Test {
    ScriptedMainWindow list;
    MainWindowOnlineList shown{list};
    ContactTable table{shown};
    const QString a = QStringLiteral("alice"), b = QStringLiteral("bob"), c = QStringLiteral("carol");

    void online(std::initializer_list<int> indexes)
    {
        for (int i : indexes)
            table.MarkContactOnline(i, QStringLiteral("10.0.0.%1").arg(i + 1));
    }
};

} // namespace

TEST_F(Table, GoingOfflineClosesTheGapInTheList)
{
    table.load({a, b, c});
    online({0, 1, 2});
    table.MarkContactOffline(1);
    EXPECT_EQ(list.items, (QStringList{a, c}));
    EXPECT_EQ(table.contact(1).address, QStringLiteral("0"));
    EXPECT_EQ(invariantBroken(table, list), "");

    table.MarkContactOnline(2, QStringLiteral("10.9.9.9")); // announced again: not even the address changes
    EXPECT_EQ(list.items, (QStringList{a, c}));
    EXPECT_EQ(table.contact(2).address, QStringLiteral("10.0.0.3"));
}

TEST_F(Table, AddingListsOnlineContactsAndStopsAtTheCapacity)
{
    table.load({a});
    EXPECT_EQ(table.AddContactRecord(b, QStringLiteral("10.0.0.2"), true), 1);
    EXPECT_EQ(table.AddContactRecord(c, QStringLiteral("0"), false), 2);
    EXPECT_EQ(list.items, QStringList{b});
    EXPECT_EQ(table.contact(2).listIndex, ContactTable::NotListed);
    for (int i = 3; i < ContactTable::Capacity; ++i)
        ASSERT_TRUE(table.AddContactRecord(QStringLiteral("u%1").arg(i), QStringLiteral("10.0.0.1"), true));
    EXPECT_EQ(table.AddContactRecord(QStringLiteral("one-more"), QStringLiteral("10.0.0.9"), true),
              std::nullopt);
    EXPECT_EQ(table.contactCount(), ContactTable::Capacity);
    EXPECT_EQ(list.items.size(), ContactTable::Capacity - 2);
    EXPECT_EQ(invariantBroken(table, list), "");

    QStringList many;
    for (int i = 0; i < 150; ++i)
        many.append(QStringLiteral("h%1").arg(i));
    table.load(many);
    EXPECT_EQ(table.contactCount(), ContactTable::Capacity);
}

TEST_F(Table, FieldsNeverHoldMoreThanTheirBytes)
{
    table.load({QStringLiteral("abcdefghijklmnop"), QStringLiteral("ééééééé")});
    EXPECT_EQ(table.contact(0).handle, QStringLiteral("abcdefghijk"));
    EXPECT_EQ(table.contact(1).handle, QStringLiteral("ééééé")); // 10 bytes: a sixth would split
    table.MarkContactOnline(0, QStringLiteral("1234567890.1234567890.123"));
    EXPECT_EQ(table.contact(0).address.size(), 19);
    EXPECT_EQ(table.AddContactRecord(QString(30, u'z'), QString(30, u'9'), false), 2);
    EXPECT_EQ(table.contact(2).address.size(), 19);
}

TEST_F(Table, RandomComingsAndGoingsKeepTheListIndexInvariant)
{
    QRandomGenerator random(42);
    QStringList handles;
    for (int i = 0; i < 60; ++i)
        handles.append(QStringLiteral("u%1").arg(random.bounded(40))); // duplicates on purpose
    table.load(handles);
    for (int step = 0; step < 5000; ++step) {
        const int index = random.bounded(table.contactCount() + 1) - 1; // -1 now and then
        switch (random.bounded(4)) {
        case 0:
            table.MarkContactOnline(index, QStringLiteral("10.0.0.%1").arg(step % 250));
            break;
        case 1:
            table.MarkContactOffline(index);
            break;
        case 2:
            if (table.contactCount() < ContactTable::Capacity)
                table.AddContactRecord(QStringLiteral("n%1").arg(step), QStringLiteral("10.1.0.1"),
                                       random.bounded(2) == 1);
            break;
        default:
            table.FillOnlineList();
            break;
        }
        ASSERT_EQ(invariantBroken(table, list), "") << "after step " << step;
    }
}

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

    // Adding completes a last line that lacks its line end, or only its LF, without changing it.
    for (const QByteArray &before : {QByteArray(""), QByteArray("a\r\n"), QByteArray("a"), QByteArray("a\r")})
        EXPECT_EQ(contacts_file::parse(contacts_file::withLine(before, QStringLiteral("b"))),
                  contacts_file::parse(before) + QStringList{QStringLiteral("b")})
            << before.toStdString();
}

TEST_F(ContactsFileTest, HandlesLoadInFileOrderAndTheLastDuplicateIsFound)
{
    writeFile(path, "alice\r\nbob\nalice");
    book.LoadContacts();
    ASSERT_EQ(table.contactCount(), 3);
    EXPECT_EQ(table.FindContactByHandle(QStringLiteral("alice")), 2) << "duplicates are kept, the last found";
    for (const QString &other : {QStringLiteral("Alice"), QStringLiteral("ali"), QString()})
        EXPECT_EQ(table.FindContactByHandle(other), std::nullopt) << other.toStdString();
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
