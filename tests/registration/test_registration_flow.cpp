// Registration and Change Your Info, run against the real quibo-directory.
#include "DirectoryServer.h"
#include "RunTask.h"
#include "UserClient.h"

#include "directory/DirectoryClient.h"
#include "directory/Pages.h"
#include "directory/Registration.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {

const QByteArray storedInfo =
    "pw\r\nBill\r\nSmith\r\nbill@example.org\r\nParis\r\n\r\nFrance\r\nM\r\n42\r\nchess\r\n";
const QByteArray storedIndex = "my own page\r\n";

// One registration, run the way logon runs it, driven through the scripted dialog.
struct RegistrationRun : FormRun {
    explicit RegistrationRun(UserClient &c)
        : FormRun(c), registration(c.client->workDir(), c.client->config(), c.client->directory(),
                                   c.registration, c.client->notices())
    {
        registration.run().then([this](RegistrationOutcome result) {
            outcome = result;
            done = true;
        });
    }
    ~RegistrationRun() { finish(); }
    [[nodiscard]] RegistrationFields &fields() const { return *dialog().registration; }
    void fill(const QString &handle, const QString &password, const QString &email)
    {
        fields().handle = handle;
        fields().info.password = password;
        fields().info.email = email;
    }
    bool pressRegister() { return press(RegistrationUi::RegisterButton); }

    Registration registration;
    std::optional<RegistrationOutcome> outcome;
};

// "&Change Your Info" as the main window runs it, its dialog open.
struct ChangeInfoRun : FormRun {
    explicit ChangeInfoRun(UserClient &c) : FormRun(c)
    {
        c.client->changeInfo()->run().then([this] { done = true; });
        EXPECT_TRUE(waitFor([&c] { return c.registration.last() != nullptr; }));
    }
};

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.start()) << server.output().toStdString(); }

    [[nodiscard]] QString serverPassword(const QString &handle) const
    {
        return QString::fromUtf8(server.get("/ipinfo/readit.cgi?id=" + handle.toUtf8()).body).trimmed();
    }
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
using ChangeInfoTest = RegistrationTest;

// The user's files once registration is through.
const QStringList registeredFiles{QStringLiteral("html/index.htm"), QStringLiteral("html/userinfo.htm"),
                                  QStringLiteral("settings"), QStringLiteral("userinfo.dat")};

} // namespace

TEST_F(RegistrationTest, AFreeHandleIsRegisteredAndItsFilesWritten)
{
    UserClient c(server.authority());
    RegistrationRun run(c);
    run.fill(QStringLiteral("bill"), QStringLiteral("pw"), QStringLiteral("bill@example.org"));
    run.fields().info.firstName = QStringLiteral("Bill");
    run.fields().info.personalInfo = QStringLiteral("<b>chess</b>");
    ASSERT_TRUE(run.pressRegister());

    EXPECT_EQ(run.outcome, RegistrationOutcome::Registered);
    EXPECT_FALSE(run.dialog().open);
    EXPECT_TRUE(c.messages().isEmpty()) << c.messages().join(u'\n').toStdString();
    EXPECT_EQ(c.requests,
              (QStringList{QStringLiteral("/ipinfo/bill"),
                           QStringLiteral("/ipinfo/register.cgi?id=bill&password=pw&first=Bill&last="
                                          "&email=bill%40example.org&city=&state=&country=&sex=&age="
                                          "&persinfo=%3Cb%3Echess%3C%2Fb%3E")}));
    EXPECT_EQ(serverPassword(QStringLiteral("bill")), QStringLiteral("pw"));

    EXPECT_EQ(c.files(), registeredFiles);
    EXPECT_EQ(c.read(QStringLiteral("settings")), "bill\r\n");
    EXPECT_EQ(c.read(QStringLiteral("userinfo.dat")),
              "pw\r\nBill\r\n\r\nbill@example.org\r\n\r\n\r\n\r\n\r\n\r\n<b>chess</b>\r\n");
    const QByteArray page = c.read(QStringLiteral("html/userinfo.htm"));
    EXPECT_TRUE(page.contains("User Info For <font color=\"black\">bill</font></b> </font>\r\n"))
        << "registration form";
    EXPECT_TRUE(page.contains("<a href=\"http://" + server.authority().toUtf8() + "/Quibo/footer.cgi\">"));
    EXPECT_EQ(c.read(QStringLiteral("html/index.htm")), pages::personalWebPage(QStringLiteral("bill")));
}

TEST_F(RegistrationTest, ATakenHandleShowsHandleInUseWritesNothingAndLetsTheUserTryAgain)
{
    ASSERT_TRUE(server.registerUser(QStringLiteral("bill"), QStringLiteral("theirs")));
    UserClient c(server.authority());
    RegistrationRun run(c);
    run.fill(QStringLiteral("bill"), QStringLiteral("mine"), QStringLiteral("b@x.org"));
    ASSERT_TRUE(run.pressRegister());

    EXPECT_FALSE(run.outcome.has_value());
    EXPECT_TRUE(run.dialog().open);
    EXPECT_TRUE(run.dialog().buttonsEnabled);
    EXPECT_EQ(c.registration.log,
              (QStringList{QStringLiteral("registration"), QStringLiteral("handle-in-use")}));
    EXPECT_EQ(c.requests, QStringList{QStringLiteral("/ipinfo/bill")});
    EXPECT_TRUE(c.files().isEmpty()) << c.files().join(u' ').toStdString();
    EXPECT_EQ(serverPassword(QStringLiteral("bill")), QStringLiteral("theirs"));

    // The case matters: "Bill" is another handle.
    run.fields().handle = QStringLiteral("Bill");
    ASSERT_TRUE(run.pressRegister());
    EXPECT_EQ(run.outcome, RegistrationOutcome::Registered);
    EXPECT_EQ(c.read(QStringLiteral("settings")), "Bill\r\n");
    EXPECT_EQ(serverPassword(QStringLiteral("Bill")), QStringLiteral("mine"));
}

TEST_F(RegistrationTest, InputTheFilesCannotCarryIsRefusedWithAMessageBeforeAnyRequest)
{
    const QString missing = QStringLiteral("You Must Enter All Required Fields|");
    const QString tooLong = QStringLiteral(
        "That Handle Is Too Long - At Most 10 Characters|(Accented Letters Count As Two Or More)");
    const QString bad = QStringLiteral("Handles Can't Contain Spaces|Or Any Of These Characters: | < / \\");
    const struct {
        const char16_t *handle;
        const char16_t *password;
        const char16_t *email;
        const QString &message;
    } cases[] = {
        {u"", u"pw", u"b@x.org", missing},
        {u"bill", u"", u"b@x.org", missing},
        {u"bill", u"pw", u"", missing},
        {u"elevenchars", u"pw", u"b@x.org", tooLong},
        {u"\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9", u"pw", u"b@x.org", tooLong},
        {u"two words", u"pw", u"b@x.org", bad},
        {u"a|b", u"pw", u"b@x.org", bad},
        {u"<html", u"pw", u"b@x.org", bad},
        {u"a/b", u"pw", u"b@x.org", bad},
        {u"tab\there", u"pw", u"b@x.org", bad},
    };
    UserClient c(server.authority());
    RegistrationRun run(c);
    for (const auto &k : cases) {
        run.fill(QString::fromUtf16(k.handle), QString::fromUtf16(k.password), QString::fromUtf16(k.email));
        ASSERT_TRUE(run.pressRegister());
        EXPECT_EQ(c.messages().value(c.messages().size() - 1), k.message)
            << QString::fromUtf16(k.handle).toStdString();
        EXPECT_TRUE(run.dialog().open);
    }
    EXPECT_EQ(c.messages().size(), static_cast<qsizetype>(std::size(cases)));
    EXPECT_TRUE(c.requests.isEmpty());
    EXPECT_TRUE(c.files().isEmpty());

    // Ten bytes exactly is fine.
    run.fill(QStringLiteral("\u00e9\u00e9\u00e9\u00e9\u00e9"), QStringLiteral("pw"),
             QStringLiteral("b@x.org"));
    ASSERT_TRUE(run.pressRegister());
    EXPECT_EQ(run.outcome, RegistrationOutcome::Registered);
}

TEST_F(RegistrationTest, AServerThatIsDownKeepsTheDialogOpenAndWritesNothing)
{
    UserClient c(QStringLiteral("127.0.0.1:%1").arg(freeLoopbackPort()));
    RegistrationRun run(c);
    run.fill(QStringLiteral("bill"), QStringLiteral("pw"), QStringLiteral("b@x.org"));
    ASSERT_TRUE(run.pressRegister());
    EXPECT_EQ(c.messages(),
              QStringList{QStringLiteral("Error Registering - Make Sure You|Are Logged On To The Internet")});
    EXPECT_TRUE(run.dialog().open);
    EXPECT_TRUE(run.dialog().buttonsEnabled);
    EXPECT_TRUE(c.files().isEmpty());
}

TEST_F(RegistrationTest, AFailedRegisterRequestStillCompletesRegistrationLocally)
{
    UserClient c(server.authority());
    // The server stops answering once the handle check is through.
    QObject::connect(&c.client->directory(), &DirectoryClient::requestSent, c.client.get(),
                     [this](const QByteArray &target) {
                         if (target.startsWith("/ipinfo/register.cgi"))
                             server.freeze();
                     });
    RegistrationRun run(c);
    run.fill(QStringLiteral("bill"), QStringLiteral("pw"), QStringLiteral("b@x.org"));
    ASSERT_TRUE(run.pressRegister());
    server.thaw();

    EXPECT_EQ(c.messages(), QStringList{QStringLiteral("Error Registering|Please Try Again Later")});
    EXPECT_EQ(run.outcome, RegistrationOutcome::Registered);
    EXPECT_EQ(c.files(), registeredFiles);
}

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
}
