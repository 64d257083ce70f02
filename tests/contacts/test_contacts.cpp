#include "TestClient.h"
#include "TestFiles.h"

#include "contacts/ContactBook.h"
#include "contacts/ContactTable.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;

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
    const QString a = u"alice"_s, b = u"bob"_s, c = u"carol"_s;
};

} // namespace

TEST_F(Table, GoingOfflineClosesTheGapInTheList)
{
    table.load({a, b, c});
    for (int i : {0, 1, 2})
        table.MarkContactOnline(i, u"10.0.0.%1"_s.arg(i + 1));
    table.MarkContactOffline(1);
    EXPECT_EQ(list.items, (QStringList{a, c}));
    EXPECT_EQ(table.contact(1).address, u"0"_s);
    EXPECT_EQ(invariantBroken(table, list), "");

    table.MarkContactOnline(2, u"10.9.9.9"_s); // announced again: not even the address changes
    EXPECT_EQ(list.items, (QStringList{a, c}));
    EXPECT_EQ(table.contact(2).address, u"10.0.0.3"_s);
}

TEST_F(Table, AddingListsOnlineContactsAndStopsAtTheCapacity)
{
    table.load({a});
    EXPECT_EQ(table.AddContactRecord(b, u"10.0.0.2"_s, true), 1);
    EXPECT_EQ(table.AddContactRecord(c, u"0"_s, false), 2);
    EXPECT_EQ(list.items, QStringList{b});
    EXPECT_EQ(table.contact(2).listIndex, ContactTable::NotListed);
    for (int i = 3; i < ContactTable::Capacity; ++i)
        ASSERT_TRUE(table.AddContactRecord(u"u%1"_s.arg(i), u"10.0.0.1"_s, true));
    EXPECT_EQ(table.AddContactRecord(u"one-more"_s, u"10.0.0.9"_s, true), std::nullopt);
    EXPECT_EQ(table.contactCount(), ContactTable::Capacity);
    EXPECT_EQ(list.items.size(), ContactTable::Capacity - 2);
    EXPECT_EQ(invariantBroken(table, list), "");

    QStringList many;
    for (int i = 0; i < 150; ++i)
        many.append(u"h%1"_s.arg(i));
    table.load(many);
    EXPECT_EQ(table.contactCount(), ContactTable::Capacity);
}

TEST_F(Table, FieldsNeverHoldMoreThanTheirBytes)
{
    table.load({u"abcdefghijklmnop"_s, u"ééééééé"_s});
    EXPECT_EQ(table.contact(0).handle, u"abcdefghijk"_s);
    EXPECT_EQ(table.contact(1).handle, u"ééééé"_s); // 10 bytes: a sixth would split
    table.MarkContactOnline(0, QString(50, u'1'));
    EXPECT_EQ(table.contact(0).address.size(), 45); // the longest IPv6 text
    EXPECT_EQ(table.AddContactRecord(QString(30, u'z'), QString(50, u'9'), false), 2);
    EXPECT_EQ(table.contact(2).address.size(), 45);
}

TEST_F(Table, RandomComingsAndGoingsKeepTheListIndexInvariant)
{
    QRandomGenerator random(42);
    QStringList handles;
    for (int i = 0; i < 60; ++i)
        handles.append(u"u%1"_s.arg(random.bounded(40))); // duplicates on purpose
    table.load(handles);
    for (int step = 0; step < 5000; ++step) {
        const int index = random.bounded(table.contactCount() + 1) - 1; // -1 now and then
        switch (random.bounded(4)) {
        case 0:
            table.MarkContactOnline(index, u"10.0.0.%1"_s.arg(step % 250));
            break;
        case 1:
            table.MarkContactOffline(index);
            break;
        case 2:
            if (table.contactCount() < ContactTable::Capacity)
                table.AddContactRecord(u"n%1"_s.arg(step), u"10.1.0.1"_s, random.bounded(2) == 1);
            break;
        default:
            table.FillOnlineList();
            break;
        }
        ASSERT_EQ(invariantBroken(table, list), "") << "after step " << step;
    }
}

namespace {

// A contact book of the test's own on the scripted user's main window and message box, over
// `workDir` (the client's own by default).
struct OwnBook {
    explicit OwnBook(std::optional<WorkingDirectory> workDir = std::nullopt)
        : dir(workDir.value_or(t.workDir())), file(dir), table(list)
    {
    }
    TestClient t;
    WorkingDirectory dir;
    Notices notices{*t.client, t.ui, t.sound, t.timings};
    ContactsFile file;
    MainWindowOnlineList list{t.mainWindow};
    ContactTable table;
    ContactBook book{table, file, notices};
};

struct ContactsFileTest : ::testing::Test, OwnBook {
    QString path = dir.file(u"contacts.dat"_s);

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
        {"LoopBack\r\nalice\r\n", {u"LoopBack"_s, u"alice"_s}},
        {"alice\nbob\r\ncarol", {u"alice"_s, u"bob"_s, u"carol"_s}},
        {"alice\r\n\r\n\nbob\n", {u"alice"_s, u"bob"_s}},
        {"averyveryverylonghandle\n", {u"averyveryve"_s}},
        {"", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(contacts_file::parse(c.content), c.handles) << c.content.toStdString();
    EXPECT_EQ(contacts_file::format({u"a"_s, u"b"_s}), QByteArray("a\r\nb\r\n"));

    // Adding completes a last line that lacks its line end, or only its LF, without changing it.
    for (const QByteArray &before : {QByteArray(""), QByteArray("a\r\n"), QByteArray("a"), QByteArray("a\r")})
        EXPECT_EQ(contacts_file::parse(contacts_file::withLine(before, u"b"_s)),
                  contacts_file::parse(before) + QStringList{u"b"_s})
            << before.toStdString();
}

TEST_F(ContactsFileTest, HandlesLoadInFileOrderAndTheLastDuplicateIsFound)
{
    writeFile(path, "alice\r\nbob\nalice");
    book.LoadContacts();
    ASSERT_EQ(table.contactCount(), 3);
    EXPECT_EQ(table.FindContactByHandle(u"alice"_s), 2) << "duplicates are kept, the last found";
    for (const QString &other : {u"Alice"_s, u"ali"_s, QString()})
        EXPECT_EQ(table.FindContactByHandle(other), std::nullopt) << other.toStdString();
}

// Deleting rewrites the file without the contact, and again for a contact already deleted
// while others are left; the last one left is never deleted.
TEST_F(ContactsFileTest, DeletingRewritesTheFileButNeverLeavesNoContactAndSaysWhy)
{
    writeFile(path, "LoopBack\nalice\nbob\n");
    book.LoadContacts();
    table.MarkContactOnline(1, u"10.0.0.2"_s);
    remove(1);
    EXPECT_EQ(readFile(path), QByteArray("LoopBack\r\nbob\r\n"));
    EXPECT_TRUE(table.contact(1).deleted);
    EXPECT_EQ(t.mainWindow.items, QStringList{u"alice"_s}) << "listed until restart";
    EXPECT_EQ(table.FindContactByHandle(u"alice"_s), 1);
    remove(1);
    EXPECT_EQ(readFile(path), QByteArray("LoopBack\r\nbob\r\n"));
    remove(2);
    remove(0);
    remove(1);
    const QString deleted = u"message|Contact Deleted!|Change Will Take Effect When You Restart"_s;
    EXPECT_EQ(t.ui.log,
              (QStringList{deleted, deleted, deleted, u"message|You Cannot Delete All Of Your Contacts|"_s,
                           u"message|Contact Already Deleted|Restart To Make Changes Take Effect"_s}));
    EXPECT_EQ(readFile(path), QByteArray("LoopBack\r\n"));
    EXPECT_FALSE(table.contact(0).deleted);
}

TEST(ContactsFileUnwritable, NothingFailsHardAndNoDeletionIsClaimed)
{
    QTemporaryDir root;
    QFile blocker(root.filePath(u"not-a-folder"_s));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    // A working directory below a plain file: nothing can be read or written there, even as root.
    OwnBook b(WorkingDirectory(QDir(blocker.fileName() + u"/work"_s)));
    ContactTable &table = b.table;
    ContactBook &book = b.book;

    book.LoadContacts();
    ASSERT_EQ(table.contactCount(), 1);
    EXPECT_EQ(table.contact(0).handle, u"LoopBack"_s);
    EXPECT_FALSE(book.AppendContactToFile(u"alice"_s));
    ASSERT_TRUE(table.AddContactRecord(u"alice"_s, u"0"_s, false));

    ASSERT_TRUE(runToEnd(book.DeleteContact(1, DialogOwner::MainWindow)));
    EXPECT_EQ(b.t.ui.log, QStringList{u"message|Contact Not Deleted|Can't Write contacts.dat"_s});
    EXPECT_FALSE(table.contact(1).deleted);
}

// The book keeps every line beyond the table's capacity byte for byte through a later rewrite.
TEST_F(ContactsFileTest, LinesBeyondTheTableSurviveADeletionAsTheyWere)
{
    QStringList held;
    for (int i = 0; i < ContactTable::Capacity; ++i)
        held.append(u"u%1"_s.arg(i));
    // Kept whatever their shape: LF, a blank line, a handle too long for the table, no last line end.
    const QByteArray beyond = "u100\nu101\r\n\r\nfartoolongahandle\nu103";
    writeFile(path, contacts_file::format(held) + beyond);
    book.LoadContacts();
    ASSERT_EQ(table.contactCount(), ContactTable::Capacity);

    ASSERT_TRUE(book.AppendContactToFile(u"zed"_s)); // the full table cannot take it
    remove(5);
    held.removeAt(5);
    EXPECT_EQ(readFile(path).toStdString(),
              (contacts_file::format(held) + beyond + "\r\nzed\r\n").toStdString());
}
