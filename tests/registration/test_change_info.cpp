#include "DirectoryServer.h"
#include "RunTask.h"
#include "UserClient.h"

#include "directory/DirectoryClient.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {

const QByteArray storedInfo =
    "pw\r\nBill\r\nSmith\r\nbill@example.org\r\nParis\r\n\r\nFrance\r\nM\r\n42\r\nchess\r\n";
const QByteArray storedIndex = "my own page\r\n";

// "&Change Your Info" as the main window runs it, its dialog open.
struct ChangeInfoRun : FormRun {
    explicit ChangeInfoRun(UserClient &c) : FormRun(c)
    {
        c.client->changeInfo()->run().then([this] { done = true; });
        EXPECT_TRUE(waitFor([&c] { return c.registration.last() != nullptr; }));
    }
};

class ChangeInfoTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.start()) << server.output().toStdString(); }

    // A registered user who is logged on, with the files registration left behind.
    static void logOn(UserClient &c)
    {
        c.write(QStringLiteral("settings"), "bill\r\n");
        c.write(QStringLiteral("userinfo.dat"), storedInfo);
        c.write(QStringLiteral("html/index.htm"), storedIndex);
        c.client->logon().ownHandle = QStringLiteral("bill");
        c.client->logon().ownAddress = QStringLiteral("127.0.0.2");
        c.client->logon().notLoggedOn = false;
    }

    DirectoryServer server;
};

} // namespace

TEST_F(ChangeInfoTest, NotLoggedOnShowsAMessageAndNoDialog)
{
    UserClient c(server.authority());
    ASSERT_TRUE(runToEnd(c.client->changeInfo()->run()));
    EXPECT_EQ(c.messages(),
              QStringList{QStringLiteral("You Can't Change Your Info|You Are Not Logged On Yet")});
    EXPECT_TRUE(c.registration.log.isEmpty());
}

TEST_F(ChangeInfoTest, ChangeRewritesInfoAndPageButNeverThePasswordHandleOrSettings)
{
    ASSERT_TRUE(server.registerUser(QStringLiteral("bill"), QStringLiteral("pw")));
    UserClient c(server.authority());
    logOn(c);
    ChangeInfoRun run(c);

    const ChangeInfoFields &shown = run.dialog().shownChange;
    EXPECT_EQ(shown.handle, QStringLiteral("bill"));
    EXPECT_EQ(shown.address, QStringLiteral("127.0.0.2"));
    EXPECT_EQ(shown.info, decodeUserInfoFile(storedInfo));

    ChangeInfoFields &fields = *run.dialog().change;
    fields.info.city = QStringLiteral("Oslo");
    fields.info.personalInfo = QString();
    fields.info.password = QStringLiteral("hacked"); // the hidden carrier is not the dialog's to change
    fields.handle = QStringLiteral("eve");
    ASSERT_TRUE(run.press(RegistrationUi::ChangeButton));

    EXPECT_TRUE(run.done);
    EXPECT_FALSE(run.dialog().open);
    EXPECT_TRUE(c.messages().isEmpty()) << c.messages().join(u'\n').toStdString();
    EXPECT_EQ(c.read(QStringLiteral("userinfo.dat")),
              "pw\r\nBill\r\nSmith\r\nbill@example.org\r\nOslo\r\n\r\nFrance\r\nM\r\n42\r\n\r\n");
    EXPECT_EQ(c.read(QStringLiteral("settings")), "bill\r\n");
    EXPECT_EQ(c.read(QStringLiteral("html/index.htm")), storedIndex) << "the web page is left alone";
    const QByteArray page = c.read(QStringLiteral("html/userinfo.htm"));
    EXPECT_TRUE(page.contains("User Info For <font color=\"black\">bill</b>\r\n<BR><BR>")) << "change form";
    EXPECT_TRUE(page.contains("> Oslo &nbsp;"));

    ASSERT_EQ(c.requests.size(), 1);
    EXPECT_TRUE(
        c.requests[0].startsWith(QStringLiteral("/ipinfo/register.cgi?id=bill&password=pw&first=Bill&")));
    EXPECT_TRUE(server.get("/ipinfo/bill").body.contains("Oslo"));
    EXPECT_EQ(server.get("/ipinfo/readit.cgi?id=bill").body, "pw\r\n");
}

TEST_F(ChangeInfoTest, AFailedRequestKeepsTheNewValuesAndClosesTheDialog)
{
    UserClient c(QStringLiteral("127.0.0.1:%1").arg(freeLoopbackPort()));
    logOn(c);
    ChangeInfoRun run(c);
    run.dialog().change->info.age = QStringLiteral("43");
    ASSERT_TRUE(run.press(RegistrationUi::ChangeButton));

    EXPECT_TRUE(run.done);
    EXPECT_FALSE(run.dialog().open);
    EXPECT_EQ(c.messages(),
              QStringList{QStringLiteral("Error Changing Info On Server|Please Try Again Later")});
    EXPECT_EQ(decodeUserInfoFile(c.read(QStringLiteral("userinfo.dat"))).age, QStringLiteral("43"));
    EXPECT_TRUE(c.read(QStringLiteral("html/userinfo.htm")).contains("> 43<BR><BR>"));
}

TEST_F(ChangeInfoTest, CancelWritesAndSendsNothing)
{
    UserClient c(server.authority());
    logOn(c);
    ChangeInfoRun run(c);
    run.dialog().change->info.city = QStringLiteral("Oslo");
    ASSERT_TRUE(run.press(RegistrationUi::CancelButton));
    EXPECT_TRUE(run.done);
    EXPECT_EQ(c.read(QStringLiteral("userinfo.dat")), storedInfo);
    EXPECT_EQ(c.read(QStringLiteral("html/userinfo.htm")), "<missing>");
    EXPECT_TRUE(c.requests.isEmpty());
}

TEST(ContactPageCommands, OpenTheSelectedContactsPageThroughTheRedirectPage)
{
    UserClient c(QStringLiteral("127.0.0.1:%1").arg(freeLoopbackPort()));
    c.client->mainWindow().open();
    ContactTable &contacts = c.client->contacts();
    const int bob =
        contacts.AddContactRecord(QStringLiteral("bob"), QStringLiteral("10.0.0.7"), true).value();
    const int eve = contacts.AddContactRecord(QStringLiteral("eve"), QStringLiteral("0"), false).value();
    const QString redirect = c.dir.filePath(QStringLiteral("webpage.htm"));

    c.client->selection().selectedContact = bob;
    c.mainWindow.choose(Command::PersonalInfo);
    ASSERT_TRUE(waitFor([&] { return c.shell.opened.size() == 1; }));
    EXPECT_EQ(c.shell.opened.constFirst(), redirect);
    EXPECT_TRUE(
        c.read(QStringLiteral("webpage.htm")).contains("location = \"http://10.0.0.7/userinfo.htm\""));

    c.mainWindow.choose(Command::ContactWebPage);
    ASSERT_TRUE(waitFor([&] { return c.shell.opened.size() == 2; }));
    EXPECT_TRUE(c.read(QStringLiteral("webpage.htm")).contains("location = \"http://10.0.0.7/index.htm\""));

    // An offline contact has no address: nothing is written or opened.
    c.client->selection().selectedContact = eve;
    c.mainWindow.choose(Command::ContactWebPage);
    c.mainWindow.choose(Command::About); // a command behind it shows the first has been dealt with
    ASSERT_TRUE(waitFor([&] { return c.ui.log.contains(QStringLiteral("about|main")); }));
    EXPECT_EQ(c.shell.opened.size(), 2);
    EXPECT_TRUE(c.read(QStringLiteral("webpage.htm")).contains("http://10.0.0.7/index.htm"));
}
