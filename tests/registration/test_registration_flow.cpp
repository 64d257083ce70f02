// Registration and Change Your Info, run against the real quibo-directory.
#include "DirectoryUsers.h"
#include "PeerNetwork.h"

#include "directory/DirectoryClient.h"
#include "directory/Pages.h"
#include "directory/Registration.h"

#include <gtest/gtest.h>

#include <functional>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;

namespace {

const QByteArray storedInfo =
    "pw\r\nBill\r\nSmith\r\nbill@example.org\r\nParis\r\n\r\nFrance\r\nM\r\n42\r\nchess\r\n";
const QByteArray storedIndex = "my own page\r\n";

// A task driven through the user's last registration or change-info dialog. A dialog still open
// when the run ends is closed, so the task ends with the test.
struct FormRun {
    explicit FormRun(UserClient &c) : client(c) {}
    ~FormRun() { finish(); }

    [[nodiscard]] FormDialogRecord &dialog() const { return *client.registration.last(); }
    // Presses `button` and waits until the task has ended or turned the buttons back on.
    bool press(int button)
    {
        const int before = dialog().enableCount;
        dialog().press(button);
        return waitFor([&] { return ended() || dialog().enableCount > before; });
    }
    void finish()
    {
        if (!ended() && client.registration.last()) {
            dialog().closeBox();
            waitFor([this] { return ended(); });
        }
    }

    UserClient &client;
    bool done = false;
    std::function<bool()> ended = [this] { return done; }; // whether the task has ended
};

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

// "&Change Your Info" chosen in the main window, its dialog open; it holds the window's commands
// until it ends.
struct ChangeInfoRun : FormRun {
    explicit ChangeInfoRun(UserClient &c) : FormRun(c)
    {
        ended = [&c] { return !c.client->mainWindowTask().isBusy(); };
        c.mainWindow.choose(Command::ChangeInfo);
        EXPECT_TRUE(waitFor([&c] { return c.registration.last() != nullptr; }));
    }
};

// Against a classic directory, where registration works as it always has; secure ones are in
// the logon tests.
class RegistrationTest : public DirectoryUsers {
protected:
    RegistrationTest() { serverOptions = {u"--classic"_s}; }

    [[nodiscard]] QString serverPassword(const QString &handle) const
    {
        return QString::fromUtf8(server.get("/ipinfo/readit.cgi?id=" + handle.toUtf8()).body).trimmed();
    }
    // A registered user who is logged on, with the files registration left behind.
    static void logOn(UserClient &c)
    {
        c.write(u"settings"_s, "bill\r\n");
        c.write(u"userinfo.dat"_s, storedInfo);
        c.write(u"html/index.htm"_s, storedIndex);
        ClientSetup::loggedOn(*c.client, u"bill"_s, loopback(2));
    }
};
using ChangeInfoTest = RegistrationTest;

// The user's files once registration is through, the key made at the first start among them.
const QStringList registeredFiles{u"html/index.htm"_s, u"html/userinfo.htm"_s, u"quibo32.crt"_s,
                                  u"quibo32.key"_s,    u"settings"_s,          u"userinfo.dat"_s};
const QStringList keyFiles{u"quibo32.crt"_s, u"quibo32.key"_s};
const QString hello = u"/secure/hello"_s;
const QString classicNotice = u"Directory Is Classic - Not Encrypted|Your Password Travels In Clear Text"_s;

} // namespace

TEST_F(RegistrationTest, AFreeHandleIsRegisteredAndItsFilesWritten)
{
    UserClient c(server.authority());
    RegistrationRun run(c);
    run.fill(u"bill"_s, u"pw"_s, u"bill@example.org"_s);
    run.fields().info.firstName = u"Bill"_s;
    run.fields().info.personalInfo = u"<b>chess</b>"_s;
    ASSERT_TRUE(run.pressRegister());

    EXPECT_EQ(run.outcome, RegistrationOutcome::Registered);
    EXPECT_FALSE(run.dialog().open);
    EXPECT_EQ(c.messages(), QStringList{classicNotice});
    // The requests, as sent, are the logon tests' (a first run on a classic directory).
    EXPECT_EQ(serverPassword(u"bill"_s), u"pw"_s);

    EXPECT_EQ(c.files(), registeredFiles);
    EXPECT_EQ(c.read(u"settings"_s), "bill\r\n");
    EXPECT_EQ(c.read(u"userinfo.dat"_s),
              "pw\r\nBill\r\n\r\nbill@example.org\r\n\r\n\r\n\r\n\r\n\r\n<b>chess</b>\r\n");
    const QByteArray page = c.read(u"html/userinfo.htm"_s);
    EXPECT_TRUE(page.contains("User Info For <font color=\"black\">bill</font></b> </font>\r\n"))
        << "registration form";
    EXPECT_TRUE(page.contains("<a href=\"http://" + server.authority().toUtf8() + "/Quibo/footer.cgi\">"));
    EXPECT_EQ(c.read(u"html/index.htm"_s), pages::personalWebPage(u"bill"_s));
}

TEST_F(RegistrationTest, ATakenHandleShowsHandleInUseWritesNothingAndLetsTheUserTryAgain)
{
    ASSERT_TRUE(server.registerUser(u"bill"_s, u"theirs"_s));
    UserClient c(server.authority());
    RegistrationRun run(c);
    run.fill(u"bill"_s, u"mine"_s, u"b@x.org"_s);
    ASSERT_TRUE(run.pressRegister());

    EXPECT_FALSE(run.outcome.has_value());
    EXPECT_TRUE(run.dialog().open);
    EXPECT_TRUE(run.dialog().buttonsEnabled);
    EXPECT_EQ(c.registration.log, (QStringList{u"registration"_s, u"handle-in-use"_s}));
    EXPECT_EQ(c.requests, (QStringList{hello, hello, u"/ipinfo/bill"_s}));
    EXPECT_EQ(c.files(), keyFiles);
    EXPECT_EQ(serverPassword(u"bill"_s), u"theirs"_s);

    // The case matters: "Bill" is another handle.
    run.fields().handle = u"Bill"_s;
    ASSERT_TRUE(run.pressRegister());
    EXPECT_EQ(run.outcome, RegistrationOutcome::Registered);
    EXPECT_EQ(c.read(u"settings"_s), "Bill\r\n");
    EXPECT_EQ(serverPassword(u"Bill"_s), u"mine"_s);
}

TEST_F(RegistrationTest, InputTheFilesCannotCarryIsRefusedWithAMessageBeforeAnyRequest)
{
    const QString missing = u"You Must Enter All Required Fields|"_s;
    const QString tooLong = QStringLiteral(
        "That Handle Is Too Long - At Most 10 Characters|(Accented Letters Count As Two Or More)");
    const QString bad = u"Handles Can't Contain Spaces|Or Any Of These Characters: | < / \\"_s;
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
    run.fill(u"\u00e9\u00e9\u00e9\u00e9\u00e9"_s, u"pw"_s, u"b@x.org"_s);
    ASSERT_TRUE(run.pressRegister());
    EXPECT_EQ(run.outcome, RegistrationOutcome::Registered);
}

TEST_F(RegistrationTest, AServerThatIsDownKeepsTheDialogOpenAndWritesNothing)
{
    UserClient c(loopback(1) + u":%1"_s.arg(freeLoopbackPort()));
    RegistrationRun run(c);
    run.fill(u"bill"_s, u"pw"_s, u"b@x.org"_s);
    ASSERT_TRUE(run.pressRegister());
    EXPECT_EQ(c.messages(),
              QStringList{u"Error Registering - Make Sure You|Are Logged On To The Internet"_s});
    EXPECT_TRUE(run.dialog().open);
    EXPECT_TRUE(run.dialog().buttonsEnabled);
    EXPECT_EQ(c.files(), keyFiles);
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
    run.fill(u"bill"_s, u"pw"_s, u"b@x.org"_s);
    ASSERT_TRUE(run.pressRegister());
    server.thaw();

    EXPECT_EQ(c.messages(), (QStringList{classicNotice, u"Error Registering|Please Try Again Later"_s}));
    EXPECT_EQ(run.outcome, RegistrationOutcome::Registered);
    EXPECT_EQ(c.files(), registeredFiles);
}

TEST_F(ChangeInfoTest, ChangeRewritesInfoAndPageButNeverThePasswordHandleOrSettings)
{
    ASSERT_TRUE(server.registerUser(u"bill"_s, u"pw"_s));
    UserClient c(server.authority());
    logOn(c);
    ChangeInfoRun run(c);

    const ChangeInfoFields &shown = run.dialog().shownChange;
    EXPECT_EQ(shown.handle, u"bill"_s);
    EXPECT_EQ(shown.address, loopback(2));
    EXPECT_EQ(shown.info, decodeUserInfoFile(storedInfo));

    ChangeInfoFields &fields = *run.dialog().change;
    fields.info.city = u"Oslo"_s;
    fields.info.personalInfo = QString();
    fields.info.password = u"hacked"_s; // the hidden carrier is not the dialog's to change
    fields.handle = u"eve"_s;
    ASSERT_TRUE(run.press(RegistrationUi::ChangeButton));

    EXPECT_TRUE(run.ended());
    EXPECT_FALSE(run.dialog().open);
    EXPECT_TRUE(c.messages().isEmpty()) << c.messages().join(u'\n').toStdString();
    EXPECT_EQ(c.read(u"userinfo.dat"_s),
              "pw\r\nBill\r\nSmith\r\nbill@example.org\r\nOslo\r\n\r\nFrance\r\nM\r\n42\r\n\r\n");
    EXPECT_EQ(c.read(u"settings"_s), "bill\r\n");
    EXPECT_EQ(c.read(u"html/index.htm"_s), storedIndex) << "the web page is left alone";
    const QByteArray page = c.read(u"html/userinfo.htm"_s);
    EXPECT_TRUE(page.contains("User Info For <font color=\"black\">bill</b>\r\n<BR><BR>")) << "change form";
    EXPECT_TRUE(page.contains("> Oslo &nbsp;"));

    ASSERT_EQ(c.requests.size(), 3);
    EXPECT_TRUE(c.requests[2].startsWith(u"/ipinfo/register.cgi?id=bill&password=pw&first=Bill&"_s));
    EXPECT_TRUE(server.get("/ipinfo/bill").body.contains("Oslo"));
    EXPECT_EQ(server.get("/ipinfo/readit.cgi?id=bill").body, "pw\r\n");
}

// A directory that cannot be reached: Cancel writes and sends nothing; a failed change keeps the
// new values and closes the dialog.
TEST_F(ChangeInfoTest, AFailedRequestKeepsTheNewValuesAndCancelKeepsNone)
{
    for (const bool cancel : {true, false}) {
        UserClient c(loopback(1) + u":%1"_s.arg(freeLoopbackPort()));
        logOn(c);
        ChangeInfoRun run(c);
        run.dialog().change->info.age = u"43"_s;
        ASSERT_TRUE(run.press(cancel ? RegistrationUi::CancelButton : RegistrationUi::ChangeButton));
        EXPECT_TRUE(run.ended());
        EXPECT_FALSE(run.dialog().open);
        if (cancel) {
            EXPECT_EQ(c.read(u"userinfo.dat"_s), storedInfo);
            EXPECT_EQ(c.read(u"html/userinfo.htm"_s), "<missing>");
            EXPECT_TRUE(c.requests.isEmpty());
            continue;
        }
        EXPECT_EQ(c.messages(), QStringList{u"Error Changing Info On Server|Please Try Again Later"_s});
        EXPECT_EQ(decodeUserInfoFile(c.read(u"userinfo.dat"_s)).age, u"43"_s);
        EXPECT_TRUE(c.read(u"html/userinfo.htm"_s).contains("> 43<BR><BR>"));
    }
}

TEST(ContactPageCommands, OpenTheSelectedContactsPageThroughTheRedirectPage)
{
    UserClient c(loopback(1) + u":%1"_s.arg(freeLoopbackPort()));
    c.client->mainWindowTask().open();
    ContactTable &contacts = c.client->contacts();
    ASSERT_TRUE(contacts.AddContactRecord(u"bob"_s, u"10.0.0.7"_s, true));
    const QString redirect = c.dir.filePath(u"webpage.htm"_s);

    selectContact(c, u"bob"_s);
    c.mainWindow.choose(Command::PersonalInfo);
    ASSERT_TRUE(waitFor([&] { return c.shell.opened.size() == 1; }));
    EXPECT_EQ(c.shell.opened.constFirst(), redirect);
    EXPECT_TRUE(c.read(u"webpage.htm"_s).contains("location = \"http://10.0.0.7/userinfo.htm\""));

    c.mainWindow.choose(Command::ContactWebPage);
    ASSERT_TRUE(waitFor([&] { return c.shell.opened.size() == 2; }));
    EXPECT_TRUE(c.read(u"webpage.htm"_s).contains("location = \"http://10.0.0.7/index.htm\""));
}

using SecureChangeInfoTest = DirectoryUsers;

// On a secure directory the change goes with the user's key, never with the password.
TEST_F(SecureChangeInfoTest, TheChangeGoesWithTheUsersKey)
{
    ASSERT_TRUE(server.registerUser(u"bill"_s, u"pw"_s));
    auto c = loggedOn(u"bill"_s, loopback(2), {});
    ChangeInfoRun run(*c);
    run.dialog().change->info.city = u"Oslo"_s;
    ASSERT_TRUE(run.press(RegistrationUi::ChangeButton));
    EXPECT_TRUE(c->messages().isEmpty()) << c->messages().join(u'\n').toStdString();
    EXPECT_EQ(c->requests.constLast(), u"/secure/info"_s);
    EXPECT_TRUE(server.get("/ipinfo/bill").body.contains("Oslo"));
}
