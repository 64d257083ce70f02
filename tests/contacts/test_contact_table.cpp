#include "QtPrinters.h"

#include "contacts/ContactTable.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace quibo;

namespace {

class RecordingList : public OnlineList {
public:
    void insertContactItem(int position, const QString &displayHandle) override
    {
        items.insert(position, displayHandle);
    }
    void removeContactItem(int position) override { items.removeAt(position); }
    QStringList items;
};

// The list-index invariant, as a failure message or empty.
std::string invariantBroken(const ContactTable &table, const RecordingList &list)
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
    RecordingList list;
    ContactTable table{list};
    const QString a = QStringLiteral("alice"), b = QStringLiteral("bob"), c = QStringLiteral("carol");

    void online(std::initializer_list<int> indexes)
    {
        for (int i : indexes)
            table.MarkContactOnline(i, QStringLiteral("10.0.0.%1").arg(i + 1));
    }
};

} // namespace

TEST_F(Table, LoadsOfflineThenLookupsAndFillListEveryOnlineContactOnce)
{
    table.load({a, b, c});
    EXPECT_EQ(table.contact(2).address, QStringLiteral("0"));
    EXPECT_EQ(table.contact(2).listIndex, ContactTable::NotListed);
    table.applyLookup(0, QStringLiteral("10.0.0.1"));
    table.applyLookup(1, QStringLiteral("0"));
    table.applyLookup(2, QStringLiteral("10.0.0.3"));
    EXPECT_TRUE(list.items.isEmpty());
    table.FillOnlineList();
    table.FillOnlineList();
    EXPECT_EQ(list.items, (QStringList{a, c}));
    EXPECT_EQ(table.contact(2).listIndex, 1);
    EXPECT_FALSE(table.contact(1).online);
    EXPECT_EQ(invariantBroken(table, list), "");
}

TEST_F(Table, GoingOfflineClosesTheGapInTheList)
{
    table.load({a, b, c});
    online({0, 1, 2});
    table.MarkContactOffline(1);
    EXPECT_EQ(list.items, (QStringList{a, c}));
    EXPECT_EQ(table.contact(0).listIndex, 0);
    EXPECT_EQ(table.contact(2).listIndex, 1);
    EXPECT_EQ(table.contact(1).address, QStringLiteral("0"));
    EXPECT_EQ(invariantBroken(table, list), "");

    table.MarkContactOffline(0);
    EXPECT_EQ(list.items, QStringList{c});
    EXPECT_EQ(table.contact(2).listIndex, 0);
    EXPECT_EQ(table.onlineCount(), 1);

    table.MarkContactOffline(1); // already offline: nothing changes
    EXPECT_EQ(list.items, QStringList{c});
    EXPECT_EQ(table.onlineCount(), 1);

    table.MarkContactOnline(2, QStringLiteral("10.9.9.9")); // announced again: not even the address changes
    EXPECT_EQ(list.items, QStringList{c});
    EXPECT_EQ(table.contact(2).address, QStringLiteral("10.0.0.3"));
}

TEST_F(Table, FindsTheLastExactMatchDeletedOrNot)
{
    table.load({a, b, a});
    table.markDeleted(2);
    EXPECT_EQ(table.FindContactByHandle(a), 2);
    EXPECT_EQ(table.FindContactByHandle(b), 1);
    EXPECT_EQ(table.FindContactByHandle(QStringLiteral("Alice")), std::nullopt);
    EXPECT_EQ(table.FindContactByHandle(QStringLiteral("ali")), std::nullopt);
    EXPECT_EQ(table.FindContactByHandle(QString()), std::nullopt);
}

TEST_F(Table, ListItemsSelectTheirContact)
{
    table.load({a, b, c});
    online({2, 0});
    EXPECT_EQ(table.ContactFromListItem(0), 2);
    EXPECT_EQ(table.ContactFromListItem(1), 0);
    EXPECT_EQ(table.ContactFromListItem(2), std::nullopt);
    EXPECT_EQ(table.ContactFromListItem(-1), std::nullopt);
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
