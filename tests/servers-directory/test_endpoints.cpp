// The replies the client relies on, from the real server, on each storage backend.

#include "DirectoryTest.h"

#include <QCoreApplication>

#include <gmock/gmock.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

namespace {

bool startsWithAngle(const Response &response)
{
    return response.status > 0 && !response.body.empty() && response.body.front() == '<';
}

TEST_P(DirectoryTest, LoopBackIsAlwaysAtTheLocalAddress)
{
    EXPECT_EQ(addressOf("LoopBack"), "127.0.0.1");
    EXPECT_EQ(get("/ipadd/LoopBack").body, "127.0.0.1");
    // Taken, so no one registers it ...
    EXPECT_FALSE(startsWithAngle(get("/ipinfo/LoopBack")));
    EXPECT_NE(registerUser("LoopBack", "secret").status, 200);
    // ... and no one moves it.
    EXPECT_NE(publish("LoopBack", "10.1.2.3").status, 200);
    EXPECT_EQ(addressOf("LoopBack"), "127.0.0.1");
}

TEST_P(DirectoryTest, UnknownHandleGetsTheRepliesTheClientReadsAsUnknown)
{
    // The contact pass takes any reply but "0" for an address.
    for (const char *target : {"/ipadd/readit.cgi?id=nobody", "/ipadd/readit.cgi?id=", "/ipadd/readit.cgi?"})
        EXPECT_EQ(get(target).body, "0") << target;
    // Adding a contact, the handle check of registration, the password check.
    for (const char *target : {"/ipadd/nobody", "/ipinfo/nobody", "/ipinfo/readit.cgi?id=nobody"})
        EXPECT_TRUE(startsWithAngle(get(target))) << target;
    // Publishing does not create the handle.
    EXPECT_EQ(publish("nobody", "10.0.0.1").status, 404);
    EXPECT_EQ(addressOf("nobody"), "0");
}

TEST_P(DirectoryTest, RegisteredUserIsFoundByEveryEndpoint)
{
    const Response registered = registerUser("Bill", "pass1",
                                             {{"first", "Bill"},
                                              {"last", "Smith"},
                                              {"email", "bill@example.org"},
                                              {"city", "Leeds"},
                                              {"age", "42"},
                                              {"persinfo", "Chess"}});
    ASSERT_EQ(registered.status, 200) << registered.body;

    // Logged off until the first publish: exactly "0", no line end.
    EXPECT_EQ(addressOf("Bill"), "0");
    EXPECT_EQ(get("/ipadd/Bill").body, "0");
    EXPECT_EQ(get("/ipinfo/readit.cgi?id=Bill").body, "pass1\r\n");

    const Response info = get("/ipinfo/Bill");
    EXPECT_EQ(info.status, 200);
    EXPECT_FALSE(startsWithAngle(info));
    EXPECT_THAT(info.body, HasSubstr("Bill Smith"));
    EXPECT_THAT(info.body, HasSubstr("Leeds"));
    EXPECT_THAT(info.body, HasSubstr("Chess"));
    EXPECT_THAT(info.body, Not(HasSubstr("pass1")));
    EXPECT_THAT(info.body, Not(HasSubstr("bill@example.org")));

    // Handles are case-sensitive.
    EXPECT_EQ(addressOf("bill"), "0");
    EXPECT_TRUE(startsWithAngle(get("/ipinfo/bill")));
}

TEST_P(DirectoryTest, ReRegisteringNeedsTheStoredPassword)
{
    // Change Your Info sends the stored password (checked with two servers); anyone else is
    // refused, and changes nothing, the password least of all.
    ASSERT_EQ(registerUser("ann", "right", {{"city", "Oslo"}}).status, 200);
    EXPECT_EQ(registerUser("ann", "wrong", {{"city", "Paris"}}).status, 403);
    EXPECT_THAT(get("/ipinfo/ann").body, HasSubstr("Oslo"));
    EXPECT_EQ(get("/ipinfo/readit.cgi?id=ann").body, "right\r\n");
    // A password that only begins like the stored one is another password.
    EXPECT_EQ(registerUser("ann", "righ").status, 403);
}

TEST_P(DirectoryTest, ValuesArePercentDecoded)
{
    const std::pair<const char *, std::string> cases[] = {
        {"ampersand", "Tom & Jerry"},
        {"plus stays plus", "C++ fan"},
        {"percent", "100%"},
        {"UTF-8", "Grüße aus Köln"},
    };
    int n = 0;
    for (const auto &[what, value] : cases) {
        const std::string handle = "dec" + std::to_string(n++);
        ASSERT_EQ(registerUser(handle, "pw", {{"persinfo", value}}).status, 200) << what;
        EXPECT_THAT(get("/ipinfo/" + handle).body, HasSubstr("Personal Info: " + value + "\r\n")) << what;
    }
    // Handles and passwords too, in the query and in the path.
    ASSERT_EQ(registerUser("Jörg&#1", "p&s #+%", {}).status, 200);
    EXPECT_EQ(get("/ipinfo/readit.cgi?id=" + encoded("Jörg&#1")).body, "p&s #+%\r\n");
    EXPECT_THAT(get("/ipinfo/" + encoded("Jörg&#1")).body, StartsWith("Handle: Jörg&#1\r\n"));
    EXPECT_EQ(get("/ipadd/" + encoded("Jörg&#1")).body, "0");
}

TEST_P(DirectoryTest, MalformedEncodingIsRefused)
{
    ASSERT_EQ(registerUser("eve", "pw").status, 200);
    EXPECT_EQ(get("/ipinfo/register.cgi?id=eve&password=pw&city=%zz").status, 400);
    EXPECT_EQ(get("/ipinfo/register.cgi?id=eve&password=pw&city=%C3").status, 400); // not UTF-8
    EXPECT_EQ(get("/ipinfo/register.cgi?id=eve&password=pw&city=a%00b").status, 400);
    EXPECT_EQ(get("/ipadd/readit.cgi?id=eve%").body, "0");
    EXPECT_TRUE(startsWithAngle(get("/ipadd/%zz")));
}

TEST_P(DirectoryTest, HandlesThatWouldBreakTheClientAreRefused)
{
    const std::pair<const char *, std::string> cases[] = {
        {"eleven characters", "abcdefghijk"},
        {"eleven bytes of UTF-8", "abcdefghi\xc3\xa9"},
        {"bar", "a|b"},
        {"angle", "<ab"},
        {"line end", "a\r\nb"},
        {"slash", "a/b"},
        {"empty", ""},
        {"the broadcast file name", "sysmsg.dat"},
    };
    for (const auto &[what, handle] : cases) {
        EXPECT_EQ(registerUser(handle, "pw").status, 400) << what;
        EXPECT_EQ(addressOf(handle), "0") << what;
        // Registration asks first: not "<", so the client asks for another handle.
        if (!handle.empty()) {
            EXPECT_FALSE(startsWithAngle(get("/ipinfo/" + encoded(handle)))) << what;
        }
    }
    EXPECT_EQ(registerUser("abcdefghij", "pw").status, 200) << "ten characters are fine";
    EXPECT_EQ(registerUser("abcdefgh\xc3\xa9", "pw").status, 200) << "so are ten bytes";
}

TEST_P(DirectoryTest, OverlongFieldsAreCutAndOverlongPasswordsRefused)
{
    EXPECT_EQ(registerUser("longpw", "12345678901").status, 400);
    EXPECT_EQ(registerUser("nopw", "").status, 400);
    EXPECT_TRUE(startsWithAngle(get("/ipinfo/longpw")));

    // "é" is two bytes: 29 "a" and a cut that never splits it leave 29 bytes.
    // Appended, not added: g++ 12 warns falsely on the moves of a chain of + (-Warray-bounds).
    std::string city(29, 'a');
    city.append("\xc3\xa9").append("zzz");
    ASSERT_EQ(
        registerUser("cut", "pw", {{"city", city}, {"age", "12345"}, {"persinfo", "one\r\ntwo"}}).status,
        200);
    const std::string info = get("/ipinfo/cut").body;
    EXPECT_THAT(info, HasSubstr("City: " + std::string(29, 'a') + "\r\n"));
    EXPECT_THAT(info, HasSubstr("Age: 123\r\n"));
    // A line end in a value cannot start a line of its own.
    EXPECT_THAT(info, HasSubstr("Personal Info: one  two\r\n"));
}

TEST_P(DirectoryTest, OnlyLogoffOrADottedAddressIsPublished)
{
    ASSERT_EQ(registerUser("pub", "pw").status, 200);
    const std::pair<std::string, bool> cases[] = {
        {"10.0.0.1", true}, {"0", true},         {"255.255.255.255", true},   {"256.1.1.1", false},
        {"1.2.3", false},   {"01.2.3.4", false}, {"1.2.3.4 ", false},         {"1.2.3.4\r\n", false},
        {"<html>", false},  {"", false},         {"host.example.org", false},
    };
    std::string current = "0";
    for (const auto &[address, accepted] : cases) {
        const Response reply = publish("pub", address);
        EXPECT_EQ(reply.status == 200, accepted) << '"' << address << "\": " << reply.body;
        if (accepted)
            current = address;
        EXPECT_EQ(addressOf("pub"), current) << address;
    }
}

TEST_P(DirectoryTest, OneOfManySimultaneousRegistrationsWins)
{
    constexpr int racers = 8;
    std::atomic<int> created{0};
    std::atomic<int> refused{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < racers; ++i) {
        threads.emplace_back([&, i] {
            const Response reply = registerUser("race", "pw" + std::to_string(i));
            if (reply.body.rfind("Registered", 0) == 0)
                ++created;
            else if (reply.status == 403)
                ++refused;
            // Lookups go on meanwhile, each worker on its own connection.
            addressOf("race");
        });
    }
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(created, 1);
    EXPECT_EQ(refused, racers - 1);
    EXPECT_THAT(get("/ipinfo/readit.cgi?id=race").body, StartsWith("pw"));
}

// Several servers on one database, as behind a load balancer: what one writes, the other
// reads at once, also after it has looked the handle up before.
TEST_P(DirectoryTest, WritesThroughOneServerAreReadAtOnceThroughAnother)
{
    quibo::test::DirectoryServer other(m_database->location());
    ASSERT_TRUE(other.start()) << other.output().toStdString();
    const auto read = [&other](const char *target) { return other.get(target).body.toStdString(); };
    EXPECT_EQ(read("/ipadd/readit.cgi?id=shared"), "0");
    EXPECT_EQ(read("/ipinfo/shared").substr(0, 1), "<");

    ASSERT_EQ(registerUser("shared", "pw", {{"city", "Oslo"}}).status, 200);
    EXPECT_THAT(read("/ipinfo/shared"), HasSubstr("City: Oslo\r\n"));
    EXPECT_EQ(read("/ipinfo/readit.cgi?id=shared"), "pw\r\n");
    for (int i = 1; i <= 20; ++i) {
        const std::string address = "10.0.0." + std::to_string(i);
        if (i % 2) {
            ASSERT_EQ(publish("shared", address).status, 200);
            EXPECT_EQ(read("/ipadd/readit.cgi?id=shared"), address);
            EXPECT_EQ(read("/ipadd/shared"), address);
        } else {
            ASSERT_TRUE(other.publish(u"shared"_s, QString::fromStdString(address)));
            EXPECT_EQ(addressOf("shared"), address);
        }
    }
    ASSERT_EQ(registerUser("shared", "pw", {{"city", "Bergen"}}).status, 200);
    EXPECT_THAT(read("/ipinfo/shared"), HasSubstr("City: Bergen\r\n"));
    EXPECT_EQ(read("/ipadd/readit.cgi?id=shared"), "10.0.0.20") << "new info leaves the address published";
    EXPECT_FALSE(other.registerUser(u"shared"_s, u"other"_s));
    EXPECT_EQ(other.stop(), 0) << other.output().toStdString();
}

// The database server may drop its connections (a restart, an administrator): a request
// may fail then, but the directory connects afresh rather than failing from then on.
TEST(DirectoryOnPostgres, NoLookUpFailsWhenTheDatabaseDroppedItsConnections)
{
    if (const auto reason = TestDatabase::unavailable(Backend::Postgres))
        GTEST_SKIP() << reason->toStdString();
    const TestDatabase database(Backend::Postgres);
    const QString application = u"quibo_dropped_%1"_s.arg(QCoreApplication::applicationPid());
    quibo::test::DirectoryServer server(database.location() + u"&application_name="_s + application);
    ASSERT_TRUE(server.start()) << server.output().toStdString();
    ASSERT_TRUE(server.registerUser(u"kept"_s, u"pw"_s));
    ASSERT_TRUE(server.publish(u"kept"_s, u"10.1.2.3"_s));
    for (int i = 0; i < 20; ++i) // several worker threads open a connection each
        ASSERT_EQ(server.addressOf(u"kept"_s), u"10.1.2.3"_s);

    TestDatabase::postgresExec(u"SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                               "WHERE application_name = '%1'"_s.arg(application));
    // Each worker finds its connection dropped, and answers on a fresh one.
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(server.addressOf(u"kept"_s).toStdString(), "10.1.2.3") << "look-up " << i;
    EXPECT_EQ(server.stop(), 0) << server.output().toStdString();
}

TEST_P(DirectoryTest, FooterAndBannerAreServed)
{
    const Response footer = get("/Quibo/footer.cgi");
    EXPECT_EQ(footer.status, 200);
    EXPECT_THAT(footer.type, StartsWith("text/html"));
    EXPECT_THAT(footer.body, HasSubstr("Quibo32"));

    const Response banner = get("/Quibo/banner.cgi");
    EXPECT_EQ(banner.status, 200);
    EXPECT_EQ(banner.type, "image/png");
    ASSERT_GE(banner.body.size(), 24u);
    EXPECT_EQ(banner.body.substr(0, 8), "\x89PNG\r\n\x1a\n");
    // The pages show it at 400 x 40: the IHDR width and height, big-endian.
    EXPECT_EQ(banner.body.substr(16, 8), std::string("\0\0\x01\x90\0\0\0\x28", 8));

    EXPECT_TRUE(startsWithAngle(get("/no/such/page")));
}

INSTANTIATE_TEST_SUITE_P(Backends, DirectoryTest, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         ::testing::PrintToStringParamName());

} // namespace
