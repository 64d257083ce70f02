// Logon, the contact pass and logoff, against the real quibo-directory.
#include "DelayingProxy.h"
#include "DirectoryUsers.h"

#include "base/WindowKey.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactTable.h"
#include "contacts/ContactsFile.h"
#include "directory/DirectoryClient.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;

using LogonTest = DirectoryUsers;

// A secure directory, and a classic one, which the client uses as it always has, saying once
// that the password is not protected there.
TEST_F(LogonTest, FirstRunRegistersAndHintsBeforeLogonWhicheverWayTheDirectoryOffers)
{
    DirectoryServer classic;
    ASSERT_TRUE(classic.start(0, {u"--classic"_s})) << classic.output().toStdString();
    const QString hello = u"/secure/hello"_s;
    const struct {
        DirectoryServer &server;
        QStringList registering;
        QStringList loggingOn;
        QString loggingOff;
        QStringList messages;
    } cases[] = {
        {server,
         {hello, u"/ipinfo/bill"_s, u"/secure/register"_s},
         {u"/ipadd/sysmsg.dat"_s, u"/secure/publish"_s},
         u"/secure/publish"_s,
         {}},
        {classic,
         {hello, hello, u"/ipinfo/bill"_s,
          u"/ipinfo/"
          u"register.cgi?id=bill&password=pw&first=&last=&email=bill%40example.org&city=&state=&country="
          "&sex=&age=&persinfo="_s},
         {u"/ipadd/sysmsg.dat"_s, u"/ipinfo/readit.cgi?id=bill"_s,
          u"/ipadd/writeip.cgi?id=bill&ip="_s + loopback(2)},
         u"/ipadd/writeip.cgi?id=bill&ip=0"_s,
         {u"Directory Is Classic - Not Encrypted|Your Password Travels In Clear Text"_s}},
    };
    for (const auto &k : cases) {
        UserClient c(k.server.authority(), loopback(2), peerPort);
        QStringList beforeHint;
        QObject::connect(&c.client->directorySession().directory(), &DirectoryClient::requestSent,
                         c.client.get(), [&](const QByteArray &target) {
                             if (!c.ui.log.contains(u"hint|desktop"_s))
                                 beforeHint.append(QString::fromUtf8(target));
                         });
        c.connectNow();
        ASSERT_TRUE(waitFor([&] { return c.registration.last() != nullptr; }));
        EXPECT_TRUE(c.requests.isEmpty()) << "nothing is asked before the user registers";
        EXPECT_TRUE(c.exists(u"html/tmp"_s));

        RegistrationFields &fields = *c.registration.last()->registration;
        fields.handle = u"bill"_s;
        fields.info.password = u"pw"_s;
        fields.info.email = u"bill@example.org"_s;
        c.registration.last()->press(RegistrationUi::RegisterButton);
        ASSERT_TRUE(c.waitUntilReady());
        EXPECT_EQ(beforeHint, k.registering) << "only the registration's own requests";
        EXPECT_EQ(c.requests.mid(k.registering.size(), k.loggingOn.size()), k.loggingOn);
        EXPECT_EQ(c.mainWindow.title, u"bill"_s);
        EXPECT_EQ(k.server.addressOf(u"bill"_s), loopback(2));
        EXPECT_EQ(c.messages(), k.messages);
        EXPECT_TRUE(c.ui.log.filter(u"broadcast").isEmpty()) << "the server's error page shows nothing";

        c.mainWindow.closeBox();
        ASSERT_TRUE(c.waitUntilEnded());
        EXPECT_EQ(c.requests.constLast(), k.loggingOff);
        EXPECT_EQ(k.server.addressOf(u"bill"_s), u"0"_s);
    }
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
        EXPECT_FALSE(c->exists(u"settings"_s) || c->exists(u"userinfo.dat"_s));
        EXPECT_FALSE(c->ui.log.contains(u"hint|desktop"_s));
    }
}

// Connect also starts the local web server from the working directory.
TEST_F(LogonTest, ThePasswordLineMatchesWhicheverLineEndEitherSideUses)
{
    ASSERT_TRUE(server.registerUser(u"bill"_s, u"secret"_s)); // served with CR LF
    for (const QByteArray &stored : {QByteArray("secret\n"), QByteArray("secret\r\n")}) {
        auto c = client();
        c->setUpUser(u"bill"_s, stored);
        c->write(u"quiboweb"_s, "#!/bin/sh\n");
        c->connectNow();
        EXPECT_EQ(c->shell.started, QStringList{(u"%1 --listen "_s + loopback(2) + u":8080 @ %2"_s).arg(
                                        c->dir.filePath(u"quiboweb"_s), c->dir.path())});
        ASSERT_TRUE(c->waitUntilReady()) << stored.constData();
        EXPECT_FALSE(c->client->logon().notLoggedOn);
        EXPECT_FALSE(c->process.ended());
    }
}

TEST_F(LogonTest, AFailedCheckTellsTheUserAndEndsWithoutPublishing)
{
    ASSERT_TRUE(server.registerUser(u"bill"_s, u"secr"_s));
    const std::pair<QString, QString> cases[] = {
        // The registered password is only the beginning of the stored one.
        {server.authority(), u"Invalid Password - Error Code 10|May Be A Server Error - Try Later"_s},
        {loopback(1) + u":%1"_s.arg(freeLoopbackPort()),
         u"Not Able To Connect, Make Sure|You Are Logged On to Internet"_s},
    };
    for (const auto &[directory, message] : cases) {
        SCOPED_TRACE(directory.toStdString());
        UserClient t(directory, loopback(2), peerPort);
        t.setUpUser(u"bill"_s, "secret\r\n", {u"LoopBack"_s});
        t.connectNow();
        ASSERT_TRUE(t.waitUntilEnded());
        EXPECT_EQ(t.messages(), QStringList{message});
        EXPECT_EQ(t.process.exitCodes, QList<int>{0});
        EXPECT_EQ(t.windowCloser.closed, QStringList{WebServerWindowTitle}) << "logoff closed the web server";
        EXPECT_FALSE(t.requests.join(u' ').contains(u"writeip"_s)) << "no classic publishing";
    }
    EXPECT_EQ(server.addressOf(u"bill"_s), u"0"_s);
}

TEST_F(LogonTest, TheBroadcastIsShownInItsFiveFields)
{
    ASSERT_TRUE(server.registerUser(u"bill"_s, u"pw"_s));
    ASSERT_TRUE(server.setBroadcast("Welcome!\r\nServer moves on Monday.\r\n"));
    auto c = loggedOn(u"bill"_s, loopback(2), {});
    EXPECT_EQ(c->ui.log.filter(u"broadcast"),
              QStringList{u"broadcast|Welcome!|Server moves on Monday.|||"_s});
}

TEST_F(LogonTest, FailedRequestsAreToldOneByOneAndLogonGoesOn)
{
    ASSERT_TRUE(server.registerUser(u"bill"_s, u"pw"_s));
    auto c = client();
    c->setUpUser(u"bill"_s, "pw\r\n", {u"ann"_s, u"LoopBack"_s});
    // The server hangs just as the address is published: every request from then on times out.
    QObject::connect(&c->client->directorySession().directory(), &DirectoryClient::requestSent,
                     c->client.get(), [this](const QByteArray &target) {
                         if (target.startsWith("/secure/publish"))
                             server.freeze();
                     });
    c->connectNow();
    ASSERT_TRUE(c->waitUntilReady());
    EXPECT_EQ(c->messages(), (QStringList{u"Error writing IP address|"_s, u"Error getting user IP address|"_s,
                                          u"Error getting user IP address|"_s}));
    EXPECT_FALSE(c->client->logon().notLoggedOn);
    EXPECT_TRUE(c->mainWindow.items.isEmpty());
    EXPECT_FALSE(c->process.ended());
}

// On a classic directory, whose requests the proxy can read.
TEST_F(LogonTest, LookUpsAnsweredOutOfOrderAreAppliedInTableOrder)
{
    server.stop();
    ASSERT_TRUE(server.start(0, {u"--classic"_s})) << server.output().toStdString();
    const QStringList contacts = {u"slow1"_s, u"ann"_s,   u"cut"_s, u"zero"_s,
                                  u"slow2"_s, u"ghost"_s, u"bob"_s, u"LoopBack"_s};
    for (const QString &handle : contacts + QStringList{u"bill"_s}) {
        if (handle != u"ghost" && handle != u"LoopBack") {
            ASSERT_TRUE(server.registerUser(handle, u"pw"_s));
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

    UserClient c(proxy.authority(), loopback(2), peerPort);
    c.setUpUser(u"bill"_s, "pw\r\n", contacts);
    c.connectNow();
    ASSERT_TRUE(c.waitUntilReady());
    QStringList asked;
    for (const QString &handle : contacts)
        asked.append(u"/ipadd/readit.cgi?id="_s + handle);
    EXPECT_EQ(c.requests.mid(5), asked); // after the two hellos, broadcast, password and publishing
    QStringList addresses;
    for (const ContactRecord &r : c.client->contacts().records())
        addresses.append(r.handle + u' ' + r.address + (r.online ? u'+' : u'-'));
    EXPECT_EQ(addresses, (QStringList{u"slow1 127.0.0.11+"_s, u"ann 127.0.0.12+"_s, u"cut 0-"_s, u"zero 0-"_s,
                                      u"slow2 127.0.0.13+"_s, u"ghost 0-"_s, u"bob 127.0.0.14+"_s,
                                      u"LoopBack 127.0.0.1+"_s}));
    EXPECT_EQ(c.mainWindow.items, (QStringList{u"slow1"_s, u"ann"_s, u"slow2"_s, u"bob"_s, u"LoopBack"_s}));
    EXPECT_TRUE(c.mainWindow.logOffButtonEnabled);
    EXPECT_TRUE(c.mainWindow.channelButtonEnabled);
    // Only the cut connection is told: unknown and logged-off contacts are not.
    EXPECT_EQ(c.messages().mid(1), QStringList{u"Error getting user IP address|"_s});
}

TEST_F(LogonTest, AnnouncementsReachTheOtherClientAndLogoffLeavesZeroBehind)
{
    ASSERT_TRUE(server.registerUser(u"alice"_s, u"pw"_s));
    ASSERT_TRUE(server.registerUser(u"bob"_s, u"pw"_s));
    auto bob = loggedOn(u"bob"_s, loopback(3), {u"alice"_s});
    EXPECT_TRUE(bob->mainWindow.items.isEmpty());
    auto alice = loggedOn(u"alice"_s, loopback(2), {u"bob"_s});
    EXPECT_EQ(alice->mainWindow.items, QStringList{u"bob"_s});
    ASSERT_TRUE(waitFor([&] { return bob->mainWindow.items == QStringList{u"alice"_s}; }))
        << "\"|001\" did not arrive";
    EXPECT_EQ(bob->client->contacts().contact(0).address, loopback(2));

    alice->write(u"html/tmp/offer.txt"_s, "offered");
    alice->write(u"html/tmp/kept.txt"_s, "not offered");
    alice->transfer.filesToSend = {alice->dir.filePath(u"html/tmp/offer.txt"_s)};
    alice->mainWindow.click(0);
    alice->mainWindow.choose(Command::SendFile);
    ASSERT_TRUE(waitFor([&] { return bob->transfer.log.contains(u"receive?|alice|offer.txt|7 Bytes"_s); }));
    alice->mainWindow.closeBox();
    ASSERT_TRUE(alice->waitUntilEnded());
    EXPECT_EQ(alice->process.exitCodes.value(0), 0);
    EXPECT_EQ(alice->requests.constLast(), u"/secure/publish"_s);
    EXPECT_EQ(server.addressOf(u"alice"_s), u"0"_s);
    EXPECT_EQ(alice->windowCloser.closed, QStringList{WebServerWindowTitle});
    EXPECT_FALSE(alice->exists(u"html/tmp/offer.txt"_s));
    EXPECT_TRUE(alice->exists(u"html/tmp/kept.txt"_s)) << "only what was offered is deleted";
    EXPECT_FALSE(alice->mainWindow.logOffButtonEnabled);
    ASSERT_TRUE(waitFor([&] { return bob->mainWindow.items.isEmpty(); })) << "\"|002\" did not arrive";
    EXPECT_FALSE(bob->client->contacts().contact(0).online);
}

TEST_F(LogonTest, AFailedLogoffKeepsTheUserOnAndASecondTryRepeatsIt)
{
    ASSERT_TRUE(server.registerUser(u"alice"_s, u"pw"_s));
    auto alice = loggedOn(u"alice"_s, loopback(2), {u"bob"_s});
    const quint16 port = server.port();
    server.stop();

    alice->mainWindow.closeBox();
    ASSERT_TRUE(
        waitFor([&] { return !alice->messages().isEmpty() && alice->mainWindow.status == u"Ready"; }));
    EXPECT_EQ(alice->messages(),
              QStringList{u"Not Able To Logoff, Make Sure|You Are Logged On To Internet"_s});
    EXPECT_TRUE(alice->mainWindow.logOffButtonEnabled);
    EXPECT_TRUE(alice->mainWindow.channelButtonEnabled);
    EXPECT_FALSE(alice->process.ended());

    ASSERT_TRUE(server.start(port)) << server.output().toStdString();
    EXPECT_EQ(server.addressOf(u"alice"_s), loopback(2));
    alice->mainWindow.closeBox();
    ASSERT_TRUE(alice->waitUntilEnded());
    EXPECT_EQ(server.addressOf(u"alice"_s), u"0"_s);
    EXPECT_EQ(alice->windowCloser.closed.size(), 2) << "every step is repeated";
}
