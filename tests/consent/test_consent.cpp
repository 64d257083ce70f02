// Adding contacts and the request to add, between real clients and the real quibo-directory.
#include "DirectoryServer.h"
#include "UserClient.h"

#include "consent/ContactManagement.h"
#include "consent/ContactRequests.h"
#include "contacts/ContactsFile.h"
#include "peer/PeerRecord.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;

namespace {

QStringList names(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *name : list)
        out.append(QString::fromLatin1(name));
    return out;
}

// The real directory with "alice", "bob" and "carol" registered ("carol" never logs on), and
// logged-on clients on one peer port.
class ConsentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start()) << server.output().toStdString();
        for (const QString &handle : names({"alice", "bob", "carol"}))
            ASSERT_TRUE(server.registerUser(handle, u"pw"_s));
    }

    // `handle` logged on from `address`, its contacts.dat holding `contacts`; with `previous`,
    // a fresh client taking over the files of the previous one.
    std::unique_ptr<UserClient> loggedOn(const char *handle, const char *address, const QStringList &contacts,
                                         std::unique_ptr<UserClient> previous = nullptr)
    {
        auto c = std::make_unique<UserClient>(server.authority(), QString::fromLatin1(address), peerPort);
        if (previous) {
            for (const QString &name : names({"settings", "userinfo.dat", "contacts.dat"}))
                c->write(name, previous->read(name));
            previous.reset(); // its listener leaves the address to the new one
        } else {
            c->setUpUser(QString::fromLatin1(handle), "pw\r\n", contacts);
        }
        c->connectNow();
        EXPECT_TRUE(c->waitUntilReady()) << handle;
        return c;
    }
    // The open dialog of `kind` once it has opened.
    static std::shared_ptr<HeldDialog> opened(UserClient &client, const char *kind)
    {
        EXPECT_TRUE(waitFor([&] { return client.consent.open(QString::fromLatin1(kind)) != nullptr; }))
            << kind;
        return client.consent.open(QString::fromLatin1(kind));
    }
    // Presses `button` of the open dialog of `kind` and waits until the dialog has closed.
    static void pressToClose(UserClient &client, const char *kind, int button)
    {
        if (const auto dialog = client.consent.open(QString::fromLatin1(kind)))
            dialog->press(button);
        EXPECT_TRUE(waitFor([&] { return client.consent.open(QString::fromLatin1(kind)) == nullptr; }))
            << kind;
    }
    // Manage Contacts, "&Add Contact", `name`, "&OK", then "&Exit" once the add is done.
    static void addContact(UserClient &client, const char *name)
    {
        client.mainWindow.choose(Command::ManageContacts);
        opened(client, "manage-contacts")->press(ConsentUi::AddButton);
        opened(client, "add-contact");
        client.client->contactManagement().addFields().m_contactName = QString::fromLatin1(name);
        pressToClose(client, "add-contact", ConsentUi::OkButton);
        EXPECT_TRUE(client.client->contactManagement().addFields().m_contactName.isEmpty());
        pressToClose(client, "manage-contacts", ConsentUi::ExitButton);
    }
    QStringList contactsFile(UserClient &client)
    {
        return contacts_file::parse(client.read(contacts_file::FileName));
    }

    DirectoryServer server;
    quint16 peerPort = freeLoopbackPort();
};

struct AddCase {
    const char *name, *handle;
    QStringList messages; // "line1|line2"
    bool added, online;
};

class AddContactTest : public ConsentTest, public ::testing::WithParamInterface<AddCase> {};

TEST_P(AddContactTest, ChecksTheDirectoryThenWritesFileTableAndLists)
{
    const AddCase &c = GetParam();
    auto bob = loggedOn("bob", "127.0.0.3", names({"carol"}));
    auto alice = loggedOn("alice", "127.0.0.2", names({"carol"}));
    if (QByteArray(c.name) == "server down")
        server.stop();

    addContact(*alice, c.handle);

    EXPECT_EQ(alice->messages(), c.messages);
    const ManageContactsFields &list = alice->client->contactManagement().manageFields();
    const ContactTable &table = alice->client->contacts();
    if (!c.added) {
        EXPECT_EQ(contactsFile(*alice), names({"carol"}));
        EXPECT_EQ(table.contactCount() + list.items.size(), 2);
        return;
    }
    EXPECT_EQ(contactsFile(*alice), names({"carol", c.handle}));
    ASSERT_EQ(table.contactCount(), 2);
    EXPECT_EQ(table.contact(1).online, c.online);
    EXPECT_EQ(table.contact(1).address, c.online ? u"127.0.0.3"_s : u"0"_s);
    ASSERT_EQ(list.items.size(), 2);
    EXPECT_EQ(list.items.at(1).online, c.online) << "image 0 online, 1 offline";
    EXPECT_EQ(alice->mainWindow.items.contains(QString::fromLatin1(c.handle)), c.online);
    EXPECT_FALSE(bob->consent.open(u"request-to-add"_s)) << "the added contact hears nothing yet";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddContactTest,
    ::testing::Values(AddCase{"online", "bob", {}, true, true}, AddCase{"offline", "carol", {}, true, false},
                      AddCase{"unknown", "nobody", {u"Invalid Contact Name|"_s}, false, false},
                      AddCase{"server down", "bob", {u"Error Connecting - Code 1013|"_s}, false, false}),
    [](const ::testing::TestParamInfo<AddCase> &param) {
        return QString::fromLatin1(param.param.name).remove(u' ').toStdString();
    });

TEST_F(ConsentTest, DeleteUsesTheSelectionOfAnEarlierOpeningAndTheListKeepsTheContact)
{
    auto alice = loggedOn("alice", "127.0.0.2", names({"carol", "bob", "dave"}));
    ManageContactsFields &fields = alice->client->contactManagement().manageFields();
    alice->mainWindow.choose(Command::ManageContacts);
    opened(*alice, "manage-contacts");
    fields.selection = 1; // the user's click
    pressToClose(*alice, "manage-contacts", ConsentUi::ExitButton);

    alice->mainWindow.choose(Command::ManageContacts);
    opened(*alice, "manage-contacts")->press(ConsentUi::DeleteButton);
    ASSERT_TRUE(waitFor([&] { return !alice->messages().isEmpty(); }));
    EXPECT_EQ(alice->messages(), QStringList{u"Contact Deleted!|Change Will Take Effect When You Restart"_s});
    EXPECT_EQ(contactsFile(*alice), names({"carol", "dave"}));
    pressToClose(*alice, "manage-contacts", ConsentUi::ExitButton);
    alice->mainWindow.choose(Command::ManageContacts);
    opened(*alice, "manage-contacts");
    EXPECT_EQ(fields.items.size(), 3) << "the deleted contact stays listed";
}

enum class Answer { Yes, No, CloseBox };

class HandshakeTest : public ConsentTest, public ::testing::WithParamInterface<Answer> {};

// Alice adds bob, logs on again and so announces herself; bob is asked and answers.
TEST_P(HandshakeTest, TheAnswerReachesTheAsker)
{
    const Answer answer = GetParam();
    auto bob = loggedOn("bob", "127.0.0.3", names({"carol"}));
    auto alice = loggedOn("alice", "127.0.0.2", names({"carol"}));
    addContact(*alice, "bob");
    ASSERT_EQ(alice->client->contacts().contactCount(), 2);
    EXPECT_TRUE(bob->consent.log.isEmpty());

    alice = loggedOn("alice", "127.0.0.2", {}, std::move(alice));
    const auto request = opened(*bob, "request-to-add");
    ASSERT_TRUE(request);
    EXPECT_EQ(bob->consent.log, QStringList{u"request-to-add alice"_s});
    EXPECT_EQ(bob->client->contactRequests().requesterAddress(), u"127.0.0.2"_s);

    if (answer == Answer::CloseBox)
        request->closeBox();
    else
        request->press(answer == Answer::Yes ? ConsentUi::YesButton : ConsentUi::NoButton);
    const QStringList expected =
        answer == Answer::Yes ? QStringList{u"bob|User Added You To Their Contact List"_s}
                              : QStringList{u"bob|Refused To Add You To Contact List"_s,
                                            u"Contact Deleted!|Change Will Take Effect When You Restart"_s};
    ASSERT_TRUE(waitFor([&] { return alice->messages().size() == expected.size(); }))
        << alice->messages().join(u',').toStdString();
    EXPECT_EQ(alice->messages(), expected);
    EXPECT_TRUE(bob->messages().isEmpty());

    const ContactTable &bobTable = bob->client->contacts();
    ASSERT_EQ(alice->client->contacts().contactCount(), 2) << "the table keeps bob until restart";
    if (answer == Answer::Yes) {
        EXPECT_EQ(contactsFile(*bob), names({"carol", "alice"}));
        ASSERT_EQ(bobTable.contactCount(), 2);
        EXPECT_EQ(bobTable.contact(1).address, u"127.0.0.2"_s);
        EXPECT_TRUE(bob->mainWindow.items.contains(u"alice"_s));
        EXPECT_EQ(contactsFile(*alice), names({"carol", "bob"}));
    } else {
        EXPECT_EQ(bobTable.contactCount(), 1);
        EXPECT_EQ(contactsFile(*alice), names({"carol"}));
        EXPECT_EQ(alice->client->contacts().contact(1).address, u"0"_s);
        EXPECT_TRUE(alice->client->contacts().contact(1).deleted);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, HandshakeTest, ::testing::Values(Answer::Yes, Answer::No, Answer::CloseBox),
                         [](const auto &param) {
                             return std::string(std::array{"Yes", "No", "CloseBox"}[param.index]);
                         });

// The user's own name on the list: a "|006" in that name comes back from 127.0.0.1, refused by
// nobody, and deletes nothing.
TEST_F(ConsentTest, ARefusalInTheOwnNameDeletesNothing)
{
    auto alice = loggedOn("alice", "127.0.0.2", names({"carol", "alice"}));
    RecordSender &sender = alice->client->peerSender().records();
    // The acceptance behind it marks when the refusal has been handled.
    for (const char *code : {"|006", "|007"}) {
        const QByteArray record =
            peer::buildRecord(u"alice"_s, QString::fromLatin1(code), peer::RefusalBlock);
        const auto sent = sender.sendRecord(u"127.0.0.2"_s, record);
        ASSERT_TRUE(waitFor([&] { return sent.isReady(); }));
    }
    ASSERT_TRUE(waitFor([&] { return !alice->messages().isEmpty(); }));
    EXPECT_EQ(alice->messages(), QStringList{u"alice|User Added You To Their Contact List"_s});
    EXPECT_EQ(contactsFile(*alice).size(), 2);
}

} // namespace
