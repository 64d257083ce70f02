#include "LogonFixture.h"

#include "base/WindowKey.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {

class LogonTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.start()) << server.output().toStdString(); }

    DirectoryServer server;
    quint16 peerPort = freePeerPort();
};

const QString PasswordRequest = QStringLiteral("/ipinfo/readit.cgi?id=bill");

} // namespace

TEST_F(LogonTest, FirstRunMakesTheFoldersMovesBgGifThenRegistersAndHintsBeforeAnyRequest)
{
    LogonClient c(server.authority(), QStringLiteral("127.0.0.2"), peerPort);
    c.writeFile(QStringLiteral("bg.gif"), "GIF89a");
    c.connectNow();

    ASSERT_TRUE(waitFor([&] { return c.registration.last() != nullptr; }));
    EXPECT_TRUE(c.requests.isEmpty()) << "nothing is asked before the user registers";
    EXPECT_TRUE(c.exists(QStringLiteral("html/tmp")));
    EXPECT_EQ(c.readFile(QStringLiteral("html/bg.gif")), "GIF89a");
    EXPECT_FALSE(c.exists(QStringLiteral("bg.gif")));

    c.ui.holdDialogs(true);
    RegistrationFields &fields = *c.registration.last()->registration;
    fields.handle = QStringLiteral("bill");
    fields.info.password = QStringLiteral("pw");
    fields.info.email = QStringLiteral("bill@example.org");
    c.registration.last()->press(RegistrationUi::RegisterButton);

    ASSERT_TRUE(waitFor([&] { return c.ui.log.contains(QStringLiteral("hint|desktop")); }));
    ASSERT_EQ(c.requests.size(), 2) << "only the registration's own requests";
    EXPECT_EQ(c.requests.at(0), QStringLiteral("/ipinfo/bill"));
    EXPECT_TRUE(c.requests.value(1).startsWith(QStringLiteral("/ipinfo/register.cgi?id=bill&password=pw&")));
    c.ui.holdDialogs(false);
    c.ui.releaseDialogs();

    ASSERT_TRUE(c.waitUntilReady());
    EXPECT_EQ(c.mainWindow.title, QStringLiteral("bill"));
    EXPECT_EQ(c.requests.mid(2, 3), (QStringList{QStringLiteral("/ipadd/sysmsg.dat"), PasswordRequest,
                                                 QStringLiteral("/ipadd/writeip.cgi?id=bill&ip=127.0.0.2")}));
    EXPECT_EQ(server.addressOf(QStringLiteral("bill")), QStringLiteral("127.0.0.2"));
    EXPECT_TRUE(c.messages().isEmpty()) << c.messages().join(u'\n').toStdString();
}

TEST_F(LogonTest, CancellingTheRegistrationEndsTheProgramWithoutARequest)
{
    LogonClient c(server.authority(), QStringLiteral("127.0.0.2"), peerPort);
    c.connectNow();
    ASSERT_TRUE(waitFor([&] { return c.registration.last() != nullptr; }));
    c.registration.last()->press(RegistrationUi::CancelButton);
    ASSERT_TRUE(c.waitUntilEnded());
    EXPECT_EQ(c.process.exitCodes, QList<int>{0});
    EXPECT_TRUE(c.requests.isEmpty());
    EXPECT_FALSE(c.ui.log.contains(QStringLiteral("hint|desktop")));
}

TEST_F(LogonTest, ThePasswordLineMatchesWhicheverLineEndEitherSideUses)
{
    ASSERT_TRUE(server.registerUser(QStringLiteral("bill"), QStringLiteral("secret"))); // served with CR LF
    for (const QByteArray &stored : {QByteArray("secret\n"), QByteArray("secret\r\n")}) {
        LogonClient c(server.authority(), QStringLiteral("127.0.0.2"), peerPort);
        c.setUpUser(QStringLiteral("bill"), stored);
        c.connectNow();
        ASSERT_TRUE(c.waitUntilReady()) << stored.constData();
        EXPECT_FALSE(c.client->logon().notLoggedOn);
        EXPECT_EQ(c.client->logon().ownHandle, QStringLiteral("bill"));
        EXPECT_FALSE(c.process.ended());
    }
}

TEST_F(LogonTest, AFailedCheckTellsTheUserAndEndsWithoutPublishing)
{
    ASSERT_TRUE(server.registerUser(QStringLiteral("bill"), QStringLiteral("secr")));
    struct Case {
        const char *name;
        QString directory;
        QString message;
    } cases[] = {
        // The registered password is only the beginning of the stored one.
        {"mismatch", server.authority(),
         QStringLiteral("Invalid Password - Error Code 10|May Be A Server Error - Try Later")},
        {"server down", QStringLiteral("127.0.0.1:%1").arg(DirectoryServer::closedPort()),
         QStringLiteral("Not Able To Connect, Make Sure|You Are Logged On to Internet")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LogonClient t(c.directory, QStringLiteral("127.0.0.2"), peerPort);
        t.setUpUser(QStringLiteral("bill"), "secret\r\n", {QStringLiteral("LoopBack")});
        t.client->fileOffers().sentFiles = {QStringLiteral("offer.txt")};
        t.writeFile(QStringLiteral("html/tmp/offer.txt"), "x");
        t.connectNow();
        ASSERT_TRUE(t.waitUntilEnded());
        EXPECT_EQ(t.messages(), QStringList{c.message});
        EXPECT_EQ(t.process.exitCodes, QList<int>{0});
        EXPECT_TRUE(t.client->logon().notLoggedOn);
        EXPECT_EQ(t.windowCloser.closed, QStringList{WebServerWindowTitle}) << "logoff closed the web server";
        EXPECT_FALSE(t.exists(QStringLiteral("html/tmp/offer.txt")));
        EXPECT_FALSE(t.requests.join(u' ').contains(QStringLiteral("writeip"))) << "neither address nor \"0\"";
    }
    EXPECT_EQ(server.addressOf(QStringLiteral("bill")), QStringLiteral("0"));
}

TEST_F(LogonTest, TheBroadcastIsShownInItsFiveFieldsUnlessTheServerHasNone)
{
    ASSERT_TRUE(server.registerUser(QStringLiteral("bill"), QStringLiteral("pw")));
    {
        LogonClient c(server.authority(), QStringLiteral("127.0.0.2"), peerPort);
        c.setUpUser(QStringLiteral("bill"), "pw\r\n");
        c.connectNow();
        ASSERT_TRUE(c.waitUntilReady());
        EXPECT_TRUE(c.ui.log.filter(QStringLiteral("broadcast")).isEmpty()) << "an error page shows nothing";
    }
    ASSERT_TRUE(server.setBroadcast("Welcome!\r\nServer moves on Monday.\r\n"));
    LogonClient c(server.authority(), QStringLiteral("127.0.0.2"), peerPort);
    c.setUpUser(QStringLiteral("bill"), "pw\r\n");
    c.connectNow();
    ASSERT_TRUE(c.waitUntilReady());
    EXPECT_EQ(c.ui.log.filter(QStringLiteral("broadcast")),
              QStringList{QStringLiteral("broadcast|Welcome!|Server moves on Monday.|||")});
    // Shown before the password check goes out.
    EXPECT_EQ(c.requests.mid(0, 2), (QStringList{QStringLiteral("/ipadd/sysmsg.dat"), PasswordRequest}));
}

TEST_F(LogonTest, ConnectStartsTheLocalWebServerFromTheWorkingDirectory)
{
    ASSERT_TRUE(server.registerUser(QStringLiteral("bill"), QStringLiteral("pw")));
    LogonClient c(server.authority(), QStringLiteral("127.0.0.2"), peerPort);
    c.setUpUser(QStringLiteral("bill"), "pw\r\n");
    c.writeFile(QStringLiteral("quiboweb"), "#!/bin/sh\n");
    c.connectNow();
    EXPECT_EQ(c.shell.started, QStringList{QStringLiteral("%1 --listen 127.0.0.2:8080 @ %2")
                                                .arg(c.dir.filePath(QStringLiteral("quiboweb")), c.dir.path())});
    ASSERT_TRUE(c.waitUntilReady());
}
