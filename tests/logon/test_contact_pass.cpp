#include "LogonFixture.h"

#include "contacts/ContactBook.h"
#include "directory/DirectoryClient.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {

class ContactPassTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start()) << server.output().toStdString();
        ASSERT_TRUE(server.registerUser(QStringLiteral("bill"), QStringLiteral("pw")));
    }

    LogonClient &bill(const QStringList &contacts)
    {
        client = std::make_unique<LogonClient>(server.authority(), QStringLiteral("127.0.0.2"), peerPort);
        client->setUpUser(QStringLiteral("bill"), "pw\r\n", contacts);
        return *client;
    }

    DirectoryServer server;
    quint16 peerPort = freePeerPort();
    std::unique_ptr<LogonClient> client;
};

} // namespace

TEST_F(ContactPassTest, AnAddressListsTheContactWhileZeroLeavesItOut)
{
    ASSERT_TRUE(server.registerUser(QStringLiteral("ann"), QStringLiteral("x")));
    ASSERT_TRUE(server.publish(QStringLiteral("ann"), QStringLiteral("127.0.0.9")));
    ASSERT_TRUE(server.registerUser(QStringLiteral("zero"), QStringLiteral("x"))); // never logged on
    LogonClient &c = bill({QStringLiteral("ann"), QStringLiteral("zero"), QStringLiteral("ghost"),
                           QStringLiteral("LoopBack")});
    c.connectNow();
    ASSERT_TRUE(c.waitUntilReady());

    EXPECT_EQ(c.requests.mid(3), (QStringList{QStringLiteral("/ipadd/readit.cgi?id=ann"),
                                              QStringLiteral("/ipadd/readit.cgi?id=zero"),
                                              QStringLiteral("/ipadd/readit.cgi?id=ghost"),
                                              QStringLiteral("/ipadd/readit.cgi?id=LoopBack")}));
    EXPECT_EQ(c.mainWindow.items, (QStringList{QStringLiteral("ann"), QStringLiteral("LoopBack")}));
    const ContactTable &table = c.client->contacts();
    ASSERT_EQ(table.contactCount(), 4);
    struct Expected {
        bool online;
        const char *address;
    } expected[] = {{true, "127.0.0.9"}, {false, "0"}, {false, "0"}, {true, "127.0.0.1"}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(table.contact(i).online, expected[i].online) << i;
        EXPECT_EQ(table.contact(i).address, QString::fromLatin1(expected[i].address)) << i;
    }
    EXPECT_TRUE(c.mainWindow.logOffButtonEnabled);
    EXPECT_TRUE(c.mainWindow.channelButtonEnabled);
    EXPECT_TRUE(c.messages().isEmpty()) << "unreachable contacts are not reported";
}

TEST_F(ContactPassTest, AMissingContactsFileIsCreatedWithLoopBackWhichTheServerKnows)
{
    LogonClient &c = bill({});
    c.connectNow();
    ASSERT_TRUE(c.waitUntilReady());
    EXPECT_EQ(c.readFile(QStringLiteral("contacts.dat")).trimmed(), "LoopBack");
    EXPECT_EQ(c.mainWindow.items, QStringList{QStringLiteral("LoopBack")});
}

TEST_F(ContactPassTest, FailedRequestsAreToldOneByOneAndLogonGoesOn)
{
    LogonClient &c = bill({QStringLiteral("ann"), QStringLiteral("LoopBack")});
    // The server hangs just as the address is published: every request from then on times out.
    QObject::connect(&c.client->directory(), &DirectoryClient::requestSent, c.client.get(),
                     [this](const QByteArray &target) {
                         if (target.startsWith("/ipadd/writeip.cgi"))
                             server.freeze();
                     });
    c.connectNow();
    ASSERT_TRUE(c.waitUntilReady());
    EXPECT_EQ(c.messages(), (QStringList{QStringLiteral("Error writing IP address|"),
                                         QStringLiteral("Error getting user IP address|"),
                                         QStringLiteral("Error getting user IP address|")}));
    EXPECT_FALSE(c.client->logon().notLoggedOn);
    EXPECT_TRUE(c.mainWindow.items.isEmpty());
    EXPECT_FALSE(c.process.ended());
}

TEST_F(ContactPassTest, LinesBeyondTheTableSurviveADeletionAfterLogonAsTheyWere)
{
    QStringList held;
    for (int i = 0; i < ContactTable::Capacity; ++i)
        held.append(QStringLiteral("u%1").arg(i));
    // Kept whatever their shape: LF, a blank line, a handle too long for the table, no last line end.
    const QByteArray beyond = "u100\nu101\r\n\r\nfartoolongahandle\nu103";
    LogonClient &c = bill({});
    c.writeFile(QStringLiteral("contacts.dat"), contacts_file::format(held) + beyond);
    c.connectNow();
    ASSERT_TRUE(c.waitUntilReady());
    ContactBook &book = c.client->contactBook();
    ASSERT_EQ(book.table().contactCount(), ContactTable::Capacity);

    ASSERT_TRUE(book.AppendContactToFile(QStringLiteral("zed"))); // the full table cannot take it
    bool done = false;
    book.DeleteContact(5, DialogOwner::MainWindow).then([&] { done = true; });
    ASSERT_TRUE(waitFor([&] { return done; }));
    held.removeAt(5);
    EXPECT_EQ(c.readFile(QStringLiteral("contacts.dat")).toStdString(),
              (contacts_file::format(held) + beyond + "\r\nzed\r\n").toStdString());
}
