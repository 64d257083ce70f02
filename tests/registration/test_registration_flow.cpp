#include "DirectoryServer.h"
#include "UserClient.h"

#include "directory/DirectoryClient.h"
#include "directory/Pages.h"
#include "directory/Registration.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {

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

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.start()) << server.output().toStdString(); }

    [[nodiscard]] QString serverPassword(const QString &handle) const
    {
        return QString::fromUtf8(server.get("/ipinfo/readit.cgi?id=" + handle.toUtf8()).body).trimmed();
    }

    DirectoryServer server;
};

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

TEST_F(RegistrationTest, CancelAndTheCloseBoxReturnCancelledWithoutARequest)
{
    for (const bool closeBox : {false, true}) {
        UserClient c(server.authority());
        RegistrationRun run(c);
        run.fill(QStringLiteral("bill"), QStringLiteral("pw"), QStringLiteral("b@x.org"));
        closeBox ? run.dialog().closeBox() : run.dialog().press(RegistrationUi::CancelButton);
        ASSERT_TRUE(waitFor([&] { return run.outcome.has_value(); }));
        EXPECT_EQ(run.outcome, RegistrationOutcome::Cancelled);
        EXPECT_FALSE(c.process.ended()) << "the caller ends the program";
        EXPECT_TRUE(c.requests.isEmpty());
        EXPECT_TRUE(c.files().isEmpty());
    }
}
