// Adding contacts and the request to add, between real clients and the real quibo-directory.
#include "DirectoryUsers.h"

#include "consent/ContactManagement.h"
#include "consent/ContactRequests.h"
#include "contacts/ContactsFile.h"
#include "peer/PeerRecord.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;

namespace {

// The real directory with "alice", "bob" and "carol" registered ("carol" never logs on).
class ConsentTest : public DirectoryUsers {
protected:
    void SetUp() override
    {
        DirectoryUsers::SetUp();
        for (const QString &handle : {u"alice"_s, u"bob"_s, u"carol"_s})
            ASSERT_TRUE(server.registerUser(handle, u"pw"_s));
    }

    // The open dialog of `kind` once it has opened.
    static std::shared_ptr<HeldDialog> opened(UserClient &client, const QString &kind)
    {
        EXPECT_TRUE(waitFor([&] { return client.consent.open(kind) != nullptr; })) << kind.toStdString();
        return client.consent.open(kind);
    }
    // Presses `button` of the open dialog of `kind` and waits until the dialog has closed.
    static void pressToClose(UserClient &client, const QString &kind, int button)
    {
        if (const auto dialog = client.consent.open(kind))
            dialog->press(button);
        EXPECT_TRUE(waitFor([&] { return client.consent.open(kind) == nullptr; })) << kind.toStdString();
    }
    // Manage Contacts, "&Add Contact", `name`, "&OK", then "&Exit" once the add is done.
    static void addContact(UserClient &client, const QString &name)
    {
        client.mainWindow.choose(Command::ManageContacts);
        opened(client, u"manage-contacts"_s)->press(ConsentUi::AddButton);
        opened(client, u"add-contact"_s);
        client.client->contactManagement().addFields().m_contactName = name;
        pressToClose(client, u"add-contact"_s, ConsentUi::OkButton);
        EXPECT_TRUE(client.client->contactManagement().addFields().m_contactName.isEmpty());
        pressToClose(client, u"manage-contacts"_s, ConsentUi::ExitButton);
    }
    static QStringList contactsFile(UserClient &client)
    {
        return contacts_file::parse(client.read(contacts_file::FileName));
    }
};

struct AddCase {
    const char *name;
    QString handle;
    QStringList messages; // "line1|line2"
    bool added, online;
};

class AddContactTest : public ConsentTest, public ::testing::WithParamInterface<AddCase> {};

TEST_P(AddContactTest, ChecksTheDirectoryThenWritesFileTableAndLists)
{
    const AddCase &c = GetParam();
    auto bob = loggedOn(u"bob"_s, loopback(3), {u"carol"_s});
    auto alice = loggedOn(u"alice"_s, loopback(2), {u"carol"_s});
    if (QByteArray(c.name) == "server down")
        server.stop();

    addContact(*alice, c.handle);

    EXPECT_EQ(alice->messages(), c.messages);
    const ManageContactsFields &list = alice->client->contactManagement().manageFields();
    const ContactTable &table = alice->client->contacts();
    if (!c.added) {
        EXPECT_EQ(contactsFile(*alice), QStringList{u"carol"_s});
        EXPECT_EQ(table.contactCount() + list.items.size(), 2);
        return;
    }
    EXPECT_EQ(contactsFile(*alice), (QStringList{u"carol"_s, c.handle}));
    ASSERT_EQ(table.contactCount(), 2);
    EXPECT_EQ(table.contact(1).online, c.online);
    EXPECT_EQ(table.contact(1).address, c.online ? loopback(3) : u"0"_s);
    ASSERT_EQ(list.items.size(), 2);
    EXPECT_EQ(list.items.at(1).online, c.online) << "image 0 online, 1 offline";
    EXPECT_EQ(alice->mainWindow.items.contains(c.handle), c.online);
    EXPECT_FALSE(bob->consent.open(u"request-to-add"_s)) << "the added contact hears nothing yet";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddContactTest,
    ::testing::Values(AddCase{"online", u"bob"_s, {}, true, true},
                      AddCase{"offline", u"carol"_s, {}, true, false},
                      AddCase{"unknown", u"nobody"_s, {u"Invalid Contact Name|"_s}, false, false},
                      AddCase{"server down", u"bob"_s, {u"Error Connecting - Code 1013|"_s}, false, false}),
    [](const ::testing::TestParamInfo<AddCase> &param) {
        return QString::fromLatin1(param.param.name).remove(u' ').toStdString();
    });

TEST_F(ConsentTest, DeleteUsesTheSelectionOfAnEarlierOpeningAndTheListKeepsTheContact)
{
    auto alice = loggedOn(u"alice"_s, loopback(2), {u"carol"_s, u"bob"_s, u"dave"_s});
    ManageContactsFields &fields = alice->client->contactManagement().manageFields();
    alice->mainWindow.choose(Command::ManageContacts);
    opened(*alice, u"manage-contacts"_s);
    fields.selection = 1; // the user's click
    pressToClose(*alice, u"manage-contacts"_s, ConsentUi::ExitButton);

    alice->mainWindow.choose(Command::ManageContacts);
    opened(*alice, u"manage-contacts"_s)->press(ConsentUi::DeleteButton);
    ASSERT_TRUE(waitFor([&] { return !alice->messages().isEmpty(); }));
    EXPECT_EQ(alice->messages(), QStringList{u"Contact Deleted!|Change Will Take Effect When You Restart"_s});
    EXPECT_EQ(contactsFile(*alice), (QStringList{u"carol"_s, u"dave"_s}));
    pressToClose(*alice, u"manage-contacts"_s, ConsentUi::ExitButton);
    alice->mainWindow.choose(Command::ManageContacts);
    opened(*alice, u"manage-contacts"_s);
    EXPECT_EQ(fields.items.size(), 3) << "the deleted contact stays listed";
}

enum class Answer { Yes, No, CloseBox };

class HandshakeTest : public ConsentTest, public ::testing::WithParamInterface<Answer> {};

// Alice adds bob, logs on again and so announces herself; bob is asked and answers.
TEST_P(HandshakeTest, TheAnswerReachesTheAsker)
{
    const Answer answer = GetParam();
    auto bob = loggedOn(u"bob"_s, loopback(3), {u"carol"_s});
    auto alice = loggedOn(u"alice"_s, loopback(2), {u"carol"_s});
    addContact(*alice, u"bob"_s);
    ASSERT_EQ(alice->client->contacts().contactCount(), 2);
    EXPECT_TRUE(bob->consent.log.isEmpty());

    alice = loggedOn(u"alice"_s, loopback(2), {}, std::move(alice));
    const auto request = opened(*bob, u"request-to-add"_s);
    ASSERT_TRUE(request);
    EXPECT_EQ(bob->consent.log, QStringList{u"request-to-add alice"_s});
    EXPECT_EQ(bob->client->contactRequests().requesterAddress(), loopback(2));

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
        EXPECT_EQ(contactsFile(*bob), (QStringList{u"carol"_s, u"alice"_s}));
        ASSERT_EQ(bobTable.contactCount(), 2);
        EXPECT_EQ(bobTable.contact(1).address, loopback(2));
        EXPECT_TRUE(bob->mainWindow.items.contains(u"alice"_s));
        EXPECT_EQ(contactsFile(*alice), (QStringList{u"carol"_s, u"bob"_s}));
    } else {
        EXPECT_EQ(bobTable.contactCount(), 1);
        EXPECT_EQ(contactsFile(*alice), QStringList{u"carol"_s});
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
    auto alice = loggedOn(u"alice"_s, loopback(2), {u"carol"_s, u"alice"_s});
    RecordSender &sender = alice->client->peerSender().records();
    // The acceptance behind it marks when the refusal has been handled.
    for (const char *code : {"|006", "|007"}) {
        const QByteArray record =
            peer::buildRecord(u"alice"_s, QString::fromLatin1(code), peer::RefusalBlock);
        const auto sent = sender.sendRecord(loopback(2), record);
        ASSERT_TRUE(waitFor([&] { return sent.isReady(); }));
    }
    ASSERT_TRUE(waitFor([&] { return !alice->messages().isEmpty(); }));
    EXPECT_EQ(alice->messages(), QStringList{u"alice|User Added You To Their Contact List"_s});
    EXPECT_EQ(contactsFile(*alice).size(), 2);
}

} // namespace
