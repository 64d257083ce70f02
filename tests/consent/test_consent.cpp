// Adding contacts and the request to add, between real clients and the real quibo-directory.
#include "DirectoryUsers.h"
#include "PeerNetwork.h"
#include "RawPeer.h"

#include "consent/ContactManagement.h"
#include "consent/ContactRequests.h"
#include "contacts/ContactsFile.h"
#include "directory/WorkingFiles.h"
#include "keys/KeyMaking.h"
#include "keys/UserKey.h"
#include "peer/ContactKeys.h"
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
    const ManageContactsFields &fields = alice->client->contactManagement().manageFields();
    alice->mainWindow.choose(Command::ManageContacts);
    opened(*alice, u"manage-contacts"_s);
    alice->consent.openContacts(u"manage-contacts"_s)->manage->selection = 1; // the user's click
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

// Why the listener dropped requests to add, once keepDrops is the message handler.
QStringList dropped;
void keepDrops(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg && message.contains(u"dropped a request to add"_s))
        dropped.append(message);
}

QByteArray keyOf(const UserClient &c)
{
    const WorkingDirectory &dir = c.client->workDir();
    return loadOrMakeUserKey(dir.file(working_files::UserKeyFile),
                             dir.file(working_files::UserCertificateFile))
        ->fingerprint;
}

// A stranger's "|001" is believed once the directory vouches for the key its connection showed:
// alice's and bob's accounts are secure (upgraded at logon), carol's is classic, nobody's unknown.
TEST_F(ConsentTest, AStrangerIsBelievedOnlyWithTheKeyTheDirectoryGives)
{
    auto bob = loggedOn(u"bob"_s, loopback(3), {u"dave"_s});
    auto alice = loggedOn(u"alice"_s, loopback(2), {u"dave"_s});
    auto mallory = client(loopback(6)); // a key of its own
    auto twin = client(loopback(7));    // alice's key
    for (const QString &name : {working_files::UserKeyFile, working_files::UserCertificateFile})
        twin->write(name, alice->read(name));
    const QByteArray bobKey = keyOf(*bob);
    qInstallMessageHandler(keepDrops);

    struct Row {
        const char *name;
        UserClient *sender; // over TLS showing its key; none: in clear
        QString handle;
        const char *why; // why it is dropped; none: it is shown
    };
    const Row rows[] = {
        {"another key", mallory.get(), u"alice"_s, "did not show the key"},
        {"a secure handle in clear", nullptr, u"alice"_s, "did not show the key"},
        {"a classic handle over TLS", mallory.get(), u"carol"_s, "speaks in clear"},
        {"an unknown handle", nullptr, u"nobody"_s, "does not know it"},
        {"a classic handle in clear", nullptr, u"carol"_s, nullptr},
        {"the secure handle's key", twin.get(), u"alice"_s, nullptr},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray record = peer::buildRecord(row.handle, u"|001127.0.0.9"_s, peer::MessageBlock);
        if (row.sender)
            ASSERT_TRUE(runToEnd(
                row.sender->client->peerSender().records().sendRecordTo(loopback(3), bobKey, record)));
        else
            ASSERT_TRUE(sendRaw(loopback(3), peerPort, record));
        if (row.why) {
            ASSERT_TRUE(waitFor([&] { return !dropped.isEmpty(); }));
            EXPECT_TRUE(dropped.takeFirst().contains(QLatin1String(row.why)))
                << dropped.join(u'\n').toStdString();
            EXPECT_TRUE(bob->consent.log.isEmpty());
            continue;
        }
        opened(*bob, u"request-to-add"_s);
        EXPECT_EQ(bob->consent.log, QStringList{u"request-to-add "_s + row.handle});
        pressToClose(*bob, u"request-to-add"_s, ConsentUi::NoButton);
        bob->consent.log.clear();
    }
    EXPECT_TRUE(dropped.isEmpty());
}

// The files a client keeps across a restart, its key and the keys it pinned included.
std::unique_ptr<UserClient> restarted(std::unique_ptr<UserClient> previous, std::unique_ptr<UserClient> next,
                                      bool acceptNewKey)
{
    for (const QString &name :
         {u"settings"_s, u"userinfo.dat"_s, u"contacts.dat"_s, working_files::UserKeyFile,
          working_files::UserCertificateFile, working_files::DirectoryPins, contact_keys::FileName}) {
        if (previous->exists(name))
            next->write(name, previous->read(name));
    }
    previous.reset(); // its listener leaves the address to the new one
    next->ui.acceptNewKey = acceptNewKey;
    next->connectNow();
    EXPECT_TRUE(next->waitUntilReady());
    return next;
}

// alice comes back with a new key (a fresh folder: the password binds it at logon). bob, who
// pinned her first key, hears nothing from her and sends her nothing until he accepts the new
// one; declining keeps it so, and the acceptance holds after a restart.
TEST_F(ConsentTest, AChangedKeyStopsTrafficUntilTheUserAcceptsIt)
{
    auto alice = loggedOn(u"alice"_s, loopback(2), {u"bob"_s});
    auto bob = loggedOn(u"bob"_s, loopback(3), {u"alice"_s});
    const QByteArray first = keyOf(*alice);
    ASSERT_EQ(bob->client->contactKeys().pinned(u"alice"_s), first);
    EXPECT_TRUE(bob->mainWindow.securelyReached.contains(u"alice"_s));
    EXPECT_EQ(bob->read(contact_keys::FileName), "alice " + first + '\n');
    EXPECT_FALSE(QFile::permissions(bob->dir.filePath(contact_keys::FileName)) &
                 (QFileDevice::ReadGroup | QFileDevice::ReadOther));

    alice = loggedOn(u"alice"_s, loopback(2), {}, std::move(alice));
    const QByteArray second = keyOf(*alice);
    ASSERT_NE(second, first);
    const QString asked =
        u"new-key|alice|"_s + keys::readableFingerprint(first) + u'|' + keys::readableFingerprint(second);
    HandledCounter aliceHandled(*alice);
    const auto exchange = [&](const QString &text) {
        auto bobHandled = std::make_unique<HandledCounter>(*bob);
        selectContact(*alice, u"bob"_s);
        alice->TestClient::messages.sendScript = {{ScriptedMessages::Step::Send, u"from alice: "_s + text}};
        EXPECT_TRUE(runToEnd(alice->client->messaging().sendMessageToSelected()));
        selectContact(*bob, u"alice"_s);
        bob->TestClient::messages.sendScript = {{ScriptedMessages::Step::Send, u"from bob: "_s + text}};
        EXPECT_TRUE(runToEnd(bob->client->messaging().sendMessageToSelected()));
        EXPECT_TRUE(waitFor([&] { return bobHandled->count >= 1; }));
    };

    for (const bool accept : {false, true}) {
        SCOPED_TRACE(accept ? "accepted" : "declined");
        const int aliceBefore = aliceHandled.count;
        bob = restarted(std::move(bob), client(loopback(3)), accept);
        ASSERT_TRUE(waitFor([&] { return bob->ui.log.contains(asked); }))
            << bob->ui.log.join(u',').toStdString();
        ASSERT_TRUE(waitFor([&] { return bob->client->contacts().records().constLast().keyHeld != accept; }));
        EXPECT_EQ(bob->mainWindow.securelyReached.contains(u"alice"_s), accept);
        EXPECT_EQ(bob->client->contactKeys().pinned(u"alice"_s), accept ? second : first);
        // The logon's own notices to alice are no sends of the user's: no message covers the question.
        EXPECT_TRUE(bob->ui.log.filter(u"Nothing Sent"_s).isEmpty()) << bob->ui.log.join(u',').toStdString();
        exchange(accept ? u"accepted"_s : u"declined"_s);
        if (accept) {
            ASSERT_TRUE(waitFor([&] { return aliceHandled.count > aliceBefore; }));
            EXPECT_TRUE(alice->TestClient::messages.log.contains(u"received|bob|from bob: accepted"_s));
            EXPECT_TRUE(bob->TestClient::messages.log.contains(u"received|alice|from alice: accepted"_s));
        } else {
            const QString stopped =
                u"message|alice Has A New Key Not Yet Accepted - Nothing Sent|Error Code 1061"_s;
            ASSERT_TRUE(waitFor([&] { return bob->ui.log.contains(stopped); }));
            EXPECT_TRUE(bob->TestClient::messages.log.filter(u"received"_s).isEmpty());
            EXPECT_EQ(aliceHandled.count, aliceBefore);
        }
    }

    // Remembered: no question after a restart, and the contact's menu shows the accepted key.
    bob = restarted(std::move(bob), client(loopback(3)), false);
    EXPECT_TRUE(bob->ui.log.filter(u"new-key"_s).isEmpty());
    EXPECT_FALSE(bob->client->contacts().records().constLast().keyHeld);
    selectContact(*bob, u"alice"_s);
    bob->mainWindow.choose(Command::ContactKey);
    bob->mainWindow.choose(Command::OwnKey);
    ASSERT_TRUE(waitFor([&] { return bob->ui.log.size() >= 2; }));
    EXPECT_EQ(bob->ui.log.filter(u"Key Fingerprint"_s),
              (QStringList{u"message|alice's Key Fingerprint|"_s + keys::readableFingerprint(second),
                           u"message|Your Key Fingerprint|"_s + keys::readableFingerprint(keyOf(*bob))}));
}

} // namespace
