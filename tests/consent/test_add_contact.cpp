#include "ConsentFixture.h"

#include "consent/ContactManagement.h"
#include "contacts/ContactsFile.h"

using namespace quibo;
using namespace quibo::test;

namespace quibo::test {

void ConsentTest::SetUp()
{
    ASSERT_TRUE(server.start()) << server.output().toStdString();
    for (const char *handle : {"alice", "bob", "carol"})
        ASSERT_TRUE(server.registerUser(QString::fromLatin1(handle), QStringLiteral("pw")));
}

std::unique_ptr<UserClient> ConsentTest::loggedOn(const QString &handle, const QString &address,
                                                  const QStringList &contacts)
{
    auto c = std::make_unique<UserClient>(server.authority(), address, peerPort);
    c->setUpUser(handle, "pw\r\n", contacts);
    c->connectNow();
    EXPECT_TRUE(c->waitUntilReady()) << handle.toStdString();
    return c;
}

std::unique_ptr<UserClient> ConsentTest::loggedOnAgain(std::unique_ptr<UserClient> previous,
                                                       const QString &address)
{
    auto c = std::make_unique<UserClient>(server.authority(), address, peerPort);
    for (const char *name : {"settings", "userinfo.dat", "contacts.dat"})
        c->write(QString::fromLatin1(name), previous->read(QString::fromLatin1(name)));
    previous.reset(); // its listener leaves the address to the new one
    c->connectNow();
    EXPECT_TRUE(c->waitUntilReady());
    return c;
}

std::shared_ptr<ConsentDialogRecord> ConsentTest::opened(UserClient &client, const char *kind)
{
    const QString name = QString::fromLatin1(kind);
    EXPECT_TRUE(waitFor([&] { return client.consent.open(name) != nullptr; })) << kind;
    return client.consent.open(name);
}

void ConsentTest::pressToClose(UserClient &client, const char *kind, int button)
{
    const QString name = QString::fromLatin1(kind);
    if (const auto dialog = client.consent.open(name))
        dialog->press(button);
    EXPECT_TRUE(waitFor([&] { return client.consent.open(name) == nullptr; })) << kind;
}

void ConsentTest::addContact(UserClient &client, const QString &name)
{
    client.mainWindow.choose(Command::ManageContacts);
    opened(client, "manage-contacts")->press(ConsentUi::AddButton);
    opened(client, "add-contact");
    client.client->contactManagement().addFields().m_contactName = name;
    pressToClose(client, "add-contact", ConsentUi::OkButton);
    EXPECT_TRUE(client.client->contactManagement().addFields().m_contactName.isEmpty());
    pressToClose(client, "manage-contacts", ConsentUi::ExitButton);
}

} // namespace quibo::test

namespace {

struct AddCase {
    const char *name;
    const char *handle;
    QStringList messages; // "line1|line2"
    bool added;
    bool online;
};

class AddContactTest : public ConsentTest, public ::testing::WithParamInterface<AddCase> {};

TEST_P(AddContactTest, ChecksTheDirectoryThenWritesFileTableAndLists)
{
    const AddCase &c = GetParam();
    auto bob = loggedOn(QStringLiteral("bob"), QStringLiteral("127.0.0.3"), {QStringLiteral("carol")});
    auto alice = loggedOn(QStringLiteral("alice"), QStringLiteral("127.0.0.2"), {QStringLiteral("carol")});
    const QByteArray fileBefore = alice->read(contacts_file::FileName);
    if (QByteArray(c.name) == "server down")
        server.stop();

    addContact(*alice, QString::fromLatin1(c.handle));

    EXPECT_EQ(alice->messages(), c.messages);
    const ManageContactsFields &list = alice->client->contactManagement().manageFields();
    const ContactTable &table = alice->client->contacts();
    if (!c.added) {
        EXPECT_EQ(alice->read(contacts_file::FileName), fileBefore);
        EXPECT_EQ(table.contactCount() + list.items.size(), 2);
        return;
    }
    EXPECT_EQ(contacts_file::parse(alice->read(contacts_file::FileName)),
              (QStringList{QStringLiteral("carol"), QString::fromLatin1(c.handle)}));
    ASSERT_EQ(table.contactCount(), 2);
    EXPECT_EQ(table.contact(1).online, c.online);
    EXPECT_EQ(table.contact(1).address, c.online ? QStringLiteral("127.0.0.3") : QStringLiteral("0"));
    ASSERT_EQ(list.items.size(), 2);
    EXPECT_EQ(list.items.at(1).online, c.online) << "image 0 online, 1 offline";
    EXPECT_EQ(alice->mainWindow.items.contains(QString::fromLatin1(c.handle)), c.online);
    EXPECT_FALSE(bob->consent.open(QStringLiteral("request-to-add")))
        << "the added contact hears nothing yet";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddContactTest,
    ::testing::Values(
        AddCase{"online", "bob", {}, true, true}, AddCase{"offline", "carol", {}, true, false},
        AddCase{"unknown", "nobody", {QStringLiteral("Invalid Contact Name|")}, false, false},
        AddCase{"server down", "bob", {QStringLiteral("Error Connecting - Code 1013|")}, false, false}),
    [](const ::testing::TestParamInfo<AddCase> &param) {
        return QString::fromLatin1(param.param.name).remove(u' ').toStdString();
    });

TEST_F(ConsentTest, DeleteUsesTheSelectionOfAnEarlierOpeningAndTheListKeepsTheContact)
{
    auto alice = loggedOn(QStringLiteral("alice"), QStringLiteral("127.0.0.2"),
                          {QStringLiteral("carol"), QStringLiteral("bob"), QStringLiteral("dave")});
    ManageContactsFields &fields = alice->client->contactManagement().manageFields();
    alice->mainWindow.choose(Command::ManageContacts);
    opened(*alice, "manage-contacts");
    fields.selection = 1; // the user's click
    pressToClose(*alice, "manage-contacts", ConsentUi::ExitButton);

    alice->mainWindow.choose(Command::ManageContacts);
    opened(*alice, "manage-contacts")->press(ConsentUi::DeleteButton);
    ASSERT_TRUE(waitFor([&] { return !alice->messages().isEmpty(); }));
    EXPECT_EQ(alice->messages(),
              QStringList{QStringLiteral("Contact Deleted!|Change Will Take Effect When You Restart")});
    EXPECT_EQ(contacts_file::parse(alice->read(contacts_file::FileName)),
              (QStringList{QStringLiteral("carol"), QStringLiteral("dave")}));
    pressToClose(*alice, "manage-contacts", ConsentUi::ExitButton);
    alice->mainWindow.choose(Command::ManageContacts);
    opened(*alice, "manage-contacts");
    EXPECT_EQ(fields.items.size(), 3) << "the deleted contact stays listed";
}

} // namespace
