// Logon, the contact pass and logoff, against the real quibo-directory.
#include "DelayingProxy.h"
#include "DirectoryServer.h"
#include "QtPrinters.h"
#include "RunTask.h"
#include "UserClient.h"

#include "base/WindowKey.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactTable.h"
#include "contacts/ContactsFile.h"
#include "directory/DirectoryClient.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {

const QString PasswordRequest = QStringLiteral("/ipinfo/readit.cgi?id=bill");

class LogonTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.start()) << server.output().toStdString(); }

    // A client at `address` (127.0.0.2 unless told) of the server under test.
    std::unique_ptr<UserClient> client(const QString &address = QStringLiteral("127.0.0.2"))
    {
        return std::make_unique<UserClient>(server.authority(), address, peerPort);
    }
    // `handle` (registered with "pw") logged on at `address` with `contacts`.
    std::unique_ptr<UserClient> loggedOn(const QString &handle, const QString &address,
                                         const QStringList &contacts)
    {
        auto c = client(address);
        c->setUpUser(handle, "pw\r\n", contacts);
        c->connectNow();
        EXPECT_TRUE(c->waitUntilReady()) << handle.toStdString();
        return c;
    }

    DirectoryServer server;
    quint16 peerPort = freeLoopbackPort();
};

} // namespace

TEST_F(LogonTest, FirstRunMakesTheFoldersThenRegistersAndHintsBeforeAnyRequest)
{
    auto c = client();
    c->connectNow();

    ASSERT_TRUE(waitFor([&] { return c->registration.last() != nullptr; }));
    EXPECT_TRUE(c->requests.isEmpty()) << "nothing is asked before the user registers";
    EXPECT_TRUE(c->exists(QStringLiteral("html/tmp")));

    c->ui.holdDialogs(true);
    RegistrationFields &fields = *c->registration.last()->registration;
    fields.handle = QStringLiteral("bill");
    fields.info.password = QStringLiteral("pw");
    fields.info.email = QStringLiteral("bill@example.org");
    c->registration.last()->press(RegistrationUi::RegisterButton);

    ASSERT_TRUE(waitFor([&] { return c->ui.log.contains(QStringLiteral("hint|desktop")); }));
    EXPECT_EQ(c->requests.size(), 2) << "only the registration's own requests";
    c->ui.holdDialogs(false);
    c->ui.releaseDialogs();

    ASSERT_TRUE(c->waitUntilReady());
    EXPECT_EQ(c->mainWindow.title, QStringLiteral("bill"));
    EXPECT_EQ(c->requests.mid(2, 3),
              (QStringList{QStringLiteral("/ipadd/sysmsg.dat"), PasswordRequest,
                           QStringLiteral("/ipadd/writeip.cgi?id=bill&ip=127.0.0.2")}));
    EXPECT_EQ(server.addressOf(QStringLiteral("bill")), QStringLiteral("127.0.0.2"));
    EXPECT_TRUE(c->messages().isEmpty()) << c->messages().join(u'\n').toStdString();
}

TEST_F(LogonTest, CancellingOrClosingTheRegistrationEndsTheProgramWritingAndAskingNothing)
{
    for (const bool closeBox : {false, true}) {
        auto c = client();
        c->connectNow();
        ASSERT_TRUE(waitFor([&] { return c->registration.last() != nullptr; }));
        closeBox ? c->registration.last()->closeBox()
                 : c->registration.last()->press(RegistrationUi::CancelButton);
        ASSERT_TRUE(c->waitUntilEnded());
        EXPECT_EQ(c->process.exitCodes, QList<int>{0});
        EXPECT_TRUE(c->requests.isEmpty());
        EXPECT_FALSE(c->exists(QStringLiteral("settings")) || c->exists(QStringLiteral("userinfo.dat")));
        EXPECT_FALSE(c->ui.log.contains(QStringLiteral("hint|desktop")));
    }
}

// Connect also starts the local web server from the working directory.
TEST_F(LogonTest, ThePasswordLineMatchesWhicheverLineEndEitherSideUses)
{
    ASSERT_TRUE(server.registerUser(QStringLiteral("bill"), QStringLiteral("secret"))); // served with CR LF
    for (const QByteArray &stored : {QByteArray("secret\n"), QByteArray("secret\r\n")}) {
        auto c = client();
        c->setUpUser(QStringLiteral("bill"), stored);
        c->write(QStringLiteral("quiboweb"), "#!/bin/sh\n");
        c->connectNow();
        EXPECT_EQ(c->shell.started,
                  QStringList{QStringLiteral("%1 --listen 127.0.0.2:8080 @ %2")
                                  .arg(c->dir.filePath(QStringLiteral("quiboweb")), c->dir.path())});
        ASSERT_TRUE(c->waitUntilReady()) << stored.constData();
        EXPECT_FALSE(c->client->logon().notLoggedOn);
        EXPECT_FALSE(c->process.ended());
    }
}

TEST_F(LogonTest, AFailedCheckTellsTheUserAndEndsWithoutPublishing)
{
    ASSERT_TRUE(server.registerUser(QStringLiteral("bill"), QStringLiteral("secr")));
    const std::pair<QString, QString> cases[] = {
        // The registered password is only the beginning of the stored one.
        {server.authority(),
         QStringLiteral("Invalid Password - Error Code 10|May Be A Server Error - Try Later")},
        {QStringLiteral("127.0.0.1:%1").arg(freeLoopbackPort()),
         QStringLiteral("Not Able To Connect, Make Sure|You Are Logged On to Internet")},
    };
    for (const auto &[directory, message] : cases) {
        SCOPED_TRACE(directory.toStdString());
        UserClient t(directory, QStringLiteral("127.0.0.2"), peerPort);
        t.setUpUser(QStringLiteral("bill"), "secret\r\n", {QStringLiteral("LoopBack")});
        t.client->fileOffers().sentFiles = {QStringLiteral("offer.txt")};
        t.write(QStringLiteral("html/tmp/offer.txt"), "x");
        t.connectNow();
        ASSERT_TRUE(t.waitUntilEnded());
        EXPECT_EQ(t.messages(), QStringList{message});
        EXPECT_EQ(t.process.exitCodes, QList<int>{0});
        EXPECT_EQ(t.windowCloser.closed, QStringList{WebServerWindowTitle}) << "logoff closed the web server";
        EXPECT_FALSE(t.exists(QStringLiteral("html/tmp/offer.txt")));
        EXPECT_FALSE(t.requests.join(u' ').contains(QStringLiteral("writeip")))
            << "neither address nor \"0\"";
    }
    EXPECT_EQ(server.addressOf(QStringLiteral("bill")), QStringLiteral("0"));
}

TEST_F(LogonTest, TheBroadcastIsShownInItsFiveFieldsBeforeThePasswordCheckUnlessTheServerHasNone)
{
    ASSERT_TRUE(server.registerUser(QStringLiteral("bill"), QStringLiteral("pw")));
    EXPECT_TRUE(loggedOn(QStringLiteral("bill"), QStringLiteral("127.0.0.2"), {})
                    ->ui.log.filter(u"broadcast")
                    .isEmpty())
        << "an error page shows nothing";
    ASSERT_TRUE(server.setBroadcast("Welcome!\r\nServer moves on Monday.\r\n"));
    auto c = loggedOn(QStringLiteral("bill"), QStringLiteral("127.0.0.2"), {});
    EXPECT_EQ(c->ui.log.filter(u"broadcast"),
              QStringList{QStringLiteral("broadcast|Welcome!|Server moves on Monday.|||")});
    EXPECT_EQ(c->requests.mid(0, 2), (QStringList{QStringLiteral("/ipadd/sysmsg.dat"), PasswordRequest}));
}

TEST_F(LogonTest, FailedRequestsAreToldOneByOneAndLogonGoesOn)
{
    ASSERT_TRUE(server.registerUser(QStringLiteral("bill"), QStringLiteral("pw")));
    auto c = client();
    c->setUpUser(QStringLiteral("bill"), "pw\r\n", {QStringLiteral("ann"), QStringLiteral("LoopBack")});
    // The server hangs just as the address is published: every request from then on times out.
    QObject::connect(&c->client->directory(), &DirectoryClient::requestSent, c->client.get(),
                     [this](const QByteArray &target) {
                         if (target.startsWith("/ipadd/writeip.cgi"))
                             server.freeze();
                     });
    c->connectNow();
    ASSERT_TRUE(c->waitUntilReady());
    EXPECT_EQ(c->messages(), (QStringList{QStringLiteral("Error writing IP address|"),
                                          QStringLiteral("Error getting user IP address|"),
                                          QStringLiteral("Error getting user IP address|")}));
    EXPECT_FALSE(c->client->logon().notLoggedOn);
    EXPECT_TRUE(c->mainWindow.items.isEmpty());
    EXPECT_FALSE(c->process.ended());
}

TEST_F(LogonTest, LookUpsAnsweredOutOfOrderAreAppliedInTableOrder)
{
    const QStringList contacts = {QStringLiteral("slow1"), QStringLiteral("ann"),     QStringLiteral("cut"),
                                  QStringLiteral("zero"),  QStringLiteral("slow2"),   QStringLiteral("ghost"),
                                  QStringLiteral("bob"),   QStringLiteral("LoopBack")};
    for (const QString &handle : contacts + QStringList{QStringLiteral("bill")}) {
        if (handle != u"ghost" && handle != u"LoopBack") {
            ASSERT_TRUE(server.registerUser(handle, QStringLiteral("pw")));
        }
    }
    const std::pair<const char *, const char *> published[] = {
        {"slow1", "127.0.0.11"}, {"ann", "127.0.0.12"}, {"slow2", "127.0.0.13"}, {"bob", "127.0.0.14"}};
    for (const auto &[handle, address] : published)
        ASSERT_TRUE(server.publish(QString::fromLatin1(handle), QString::fromLatin1(address)));
    // The slow handles' answers come last; the connection asking for "cut" is cut.
    DelayingProxy proxy(server.port(), std::chrono::milliseconds(0));
    proxy.setRequestDelay([](const QByteArray &chunk) {
        return std::chrono::milliseconds(chunk.contains("id=slow") ? 300 : chunk.contains("id=cut") ? -1 : 0);
    });
    ASSERT_TRUE(proxy.listen());

    UserClient c(proxy.authority(), QStringLiteral("127.0.0.2"), peerPort);
    c.setUpUser(QStringLiteral("bill"), "pw\r\n", contacts);
    c.connectNow();
    ASSERT_TRUE(c.waitUntilReady());
    QStringList asked;
    for (const QString &handle : contacts)
        asked.append(QStringLiteral("/ipadd/readit.cgi?id=") + handle);
    EXPECT_EQ(c.requests.mid(3), asked);
    QStringList addresses;
    for (const ContactRecord &r : c.client->contacts().records())
        addresses.append(r.handle + u' ' + r.address + (r.online ? u'+' : u'-'));
    EXPECT_EQ(addresses,
              (QStringList{QStringLiteral("slow1 127.0.0.11+"), QStringLiteral("ann 127.0.0.12+"),
                           QStringLiteral("cut 0-"), QStringLiteral("zero 0-"),
                           QStringLiteral("slow2 127.0.0.13+"), QStringLiteral("ghost 0-"),
                           QStringLiteral("bob 127.0.0.14+"), QStringLiteral("LoopBack 127.0.0.1+")}));
    EXPECT_EQ(c.mainWindow.items,
              (QStringList{QStringLiteral("slow1"), QStringLiteral("ann"), QStringLiteral("slow2"),
                           QStringLiteral("bob"), QStringLiteral("LoopBack")}));
    EXPECT_TRUE(c.mainWindow.logOffButtonEnabled);
    EXPECT_TRUE(c.mainWindow.channelButtonEnabled);
    // Only the cut connection is told: unknown and logged-off contacts are not.
    EXPECT_EQ(c.messages(), QStringList{QStringLiteral("Error getting user IP address|")});
}

TEST_F(LogonTest, AnnouncementsReachTheOtherClientAndLogoffLeavesZeroBehind)
{
    ASSERT_TRUE(server.registerUser(QStringLiteral("alice"), QStringLiteral("pw")));
    ASSERT_TRUE(server.registerUser(QStringLiteral("bob"), QStringLiteral("pw")));
    auto bob = loggedOn(QStringLiteral("bob"), QStringLiteral("127.0.0.3"), {QStringLiteral("alice")});
    EXPECT_TRUE(bob->mainWindow.items.isEmpty());
    auto alice = loggedOn(QStringLiteral("alice"), QStringLiteral("127.0.0.2"), {QStringLiteral("bob")});
    EXPECT_EQ(alice->mainWindow.items, QStringList{QStringLiteral("bob")});
    ASSERT_TRUE(waitFor([&] { return bob->mainWindow.items == QStringList{QStringLiteral("alice")}; }))
        << "\"|001\" did not arrive";
    EXPECT_EQ(bob->client->contacts().contact(0).address, QStringLiteral("127.0.0.2"));

    alice->client->fileOffers().sentFiles = {QStringLiteral("offer.txt"), QStringLiteral("../keep.txt")};
    alice->write(QStringLiteral("html/tmp/offer.txt"), "offered");
    alice->write(QStringLiteral("html/keep.txt"), "not offered");
    alice->mainWindow.closeBox();
    ASSERT_TRUE(alice->waitUntilEnded());
    EXPECT_EQ(alice->process.exitCodes.value(0), 0);
    EXPECT_EQ(alice->requests.constLast(), QStringLiteral("/ipadd/writeip.cgi?id=alice&ip=0"));
    EXPECT_EQ(server.addressOf(QStringLiteral("alice")), QStringLiteral("0"));
    EXPECT_EQ(alice->windowCloser.closed, QStringList{WebServerWindowTitle});
    EXPECT_FALSE(alice->exists(QStringLiteral("html/tmp/offer.txt")));
    EXPECT_TRUE(alice->exists(QStringLiteral("html/keep.txt"))) << "a name leaving html/tmp is not deleted";
    EXPECT_FALSE(alice->mainWindow.logOffButtonEnabled);
    ASSERT_TRUE(waitFor([&] { return bob->mainWindow.items.isEmpty(); })) << "\"|002\" did not arrive";
    EXPECT_FALSE(bob->client->contacts().contact(0).online);
}

TEST_F(LogonTest, AFailedLogoffKeepsTheUserOnAndASecondTryRepeatsIt)
{
    ASSERT_TRUE(server.registerUser(QStringLiteral("alice"), QStringLiteral("pw")));
    auto alice = loggedOn(QStringLiteral("alice"), QStringLiteral("127.0.0.2"), {QStringLiteral("bob")});
    const quint16 port = server.port();
    server.stop();

    alice->mainWindow.closeBox();
    ASSERT_TRUE(
        waitFor([&] { return !alice->messages().isEmpty() && alice->mainWindow.status == u"Ready"; }));
    EXPECT_EQ(alice->messages(),
              QStringList{QStringLiteral("Not Able To Logoff, Make Sure|You Are Logged On To Internet")});
    EXPECT_TRUE(alice->mainWindow.logOffButtonEnabled);
    EXPECT_TRUE(alice->mainWindow.channelButtonEnabled);
    EXPECT_FALSE(alice->process.ended());

    ASSERT_TRUE(server.start(port)) << server.output().toStdString();
    EXPECT_EQ(server.addressOf(QStringLiteral("alice")), QStringLiteral("127.0.0.2"));
    alice->mainWindow.closeBox();
    ASSERT_TRUE(alice->waitUntilEnded());
    EXPECT_EQ(server.addressOf(QStringLiteral("alice")), QStringLiteral("0"));
    EXPECT_EQ(alice->windowCloser.closed.size(), 2) << "every step is repeated";
}

// Logon loads contacts.dat through the contact book, which keeps every line beyond the table's
// capacity byte for byte through a later rewrite.
TEST_F(LogonTest, LinesBeyondTheTableSurviveADeletionAfterLogonAsTheyWere)
{
    QStringList held;
    for (int i = 0; i < ContactTable::Capacity; ++i)
        held.append(QStringLiteral("u%1").arg(i));
    // Kept whatever their shape: LF, a blank line, a handle too long for the table, no last line end.
    const QByteArray beyond = "u100\nu101\r\n\r\nfartoolongahandle\nu103";
    ASSERT_TRUE(server.registerUser(QStringLiteral("bill"), QStringLiteral("pw")));
    auto c = client();
    c->setUpUser(QStringLiteral("bill"), "pw\r\n", {});
    c->write(QStringLiteral("contacts.dat"), contacts_file::format(held) + beyond);
    c->connectNow();
    ASSERT_TRUE(c->waitUntilReady());
    ContactBook &book = c->client->contactBook();
    ASSERT_EQ(book.table().contactCount(), ContactTable::Capacity);

    ASSERT_TRUE(book.AppendContactToFile(QStringLiteral("zed"))); // the full table cannot take it
    ASSERT_TRUE(runToEnd(book.DeleteContact(5, DialogOwner::MainWindow)));
    held.removeAt(5);
    EXPECT_EQ(c->read(QStringLiteral("contacts.dat")).toStdString(),
              (contacts_file::format(held) + beyond + "\r\nzed\r\n").toStdString());
}
