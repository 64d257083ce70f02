// The secure accounts, played from the attacker's side: real server, real TLS, keys made here.

#include "DirectoryTest.h"
#include "GuessLimiter.h"
#include "Schema.h"
#include "SecureClient.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <httplib.h>

#include <sys/stat.h>

#include <gmock/gmock.h>

using namespace Qt::StringLiterals;
using quibo::directory::GuessLimiter;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

namespace {

using Pairs = std::map<std::string, std::string>;

class SecureTest : public DirectoryTest {
protected:
    SecureClient client(bool withKey = true) const { return SecureClient(m_server->port(), withKey); }

    // What a stranger without a key, over plain HTTP, can do to `handle`: no password comes
    // back, and neither its address nor its data change.
    void expectClosedToClassicRequests(const std::string &handle, const std::string &password)
    {
        const Response readout = get("/ipinfo/readit.cgi?id=" + handle);
        EXPECT_THAT(readout.body, StartsWith("<"));
        EXPECT_THAT(readout.body, Not(HasSubstr(password)));
        const std::string address = addressOf(handle);
        const std::string info = get("/ipinfo/" + handle).body;
        EXPECT_EQ(publish(handle, "6.6.6.6").status, 403);
        for (const std::string &guess : {password, std::string("x")})
            EXPECT_NE(registerUser(handle, guess, {{"city", "Evil"}}).status, 200);
        EXPECT_EQ(addressOf(handle), address);
        EXPECT_EQ(get("/ipinfo/" + handle).body, info);
        EXPECT_THAT(info, StartsWith("Handle: " + handle + "\r\n"));
        // Nothing in the table gives the password away.
        const QStringList row = m_database->query(
            u"SELECT password, password_hash, kind FROM quibo_users WHERE handle = '%1'"_s.arg(QString::fromStdString(handle)));
        ASSERT_EQ(row.size(), 3);
        EXPECT_EQ(row[0], u""_s);
        EXPECT_THAT(row[1].toStdString(), StartsWith("$argon2id$"));
        EXPECT_THAT(row[1].toStdString(), Not(HasSubstr(password)));
        EXPECT_EQ(row[2], u"secure"_s);
    }
};

TEST_P(SecureTest, SecureAccountIsTheKeyHoldersAlone)
{
    const SecureClient owner = client();
    const SecureClient stranger = client();
    const SecureClient keyless = client(false);
    // A second server on the same database reads every write at once.
    quibo::test::DirectoryServer other(m_database->location());
    ASSERT_TRUE(other.start()) << other.output().toStdString();
    const auto lookUp = [&other] { return pairsOf(SecureClient(other.port(), false).get("/secure/lookup?id=ann")); };
    ASSERT_EQ(owner.registerAccount("ann", "s3cret", {{"city", "Oslo"}}).body, "ok");
    EXPECT_EQ(owner.post("/secure/publish", {{"id", "ann"}, {"ip", "10.1.1.1"}}).body, "ok");
    EXPECT_EQ(lookUp(), (Pairs{{"address", "10.1.1.1"}, {"secure", "1"}, {"fingerprint", owner.fingerprint()},
                               {"address6", ""}, {"ports", ""}}));
    expectClosedToClassicRequests("ann", "s3cret");

    // Another key, or none, moves nothing and takes nothing.
    const std::pair<const SecureClient *, int> intruders[] = {{&stranger, 401}, {&keyless, 401}};
    for (const auto &[intruder, status] : intruders) {
        EXPECT_EQ(intruder->post("/secure/publish", {{"id", "ann"}, {"ip", "6.6.6.6"}}).status, status);
        EXPECT_EQ(intruder->post("/secure/info", {{"id", "ann"}, {"email", "evil@example.org"}}).status, status);
        EXPECT_EQ(intruder->post("/secure/key", {{"id", "ann"}, {"password", "guess"}}).status, 401);
    }
    EXPECT_EQ(stranger.registerAccount("ann", "other").status, 409);
    EXPECT_EQ(keyless.registerAccount("bob", "pw").status, 400);
    EXPECT_EQ(stranger.post("/secure/publish", {{"id", "nobody"}, {"ip", "1.2.3.4"}}).status, 404);
    // Over plain HTTP the secure requests are refused, whatever they carry.
    EXPECT_EQ(get("/secure/lookup?id=ann").body, "use https");
    EXPECT_EQ(addressOf("ann"), "10.1.1.1");
    EXPECT_THAT(get("/ipinfo/ann").body, HasSubstr("City: Oslo"));

    // The owner changes the data and logs off.
    EXPECT_EQ(owner.post("/secure/info", {{"id", "ann"}, {"email", "a@example.org"}, {"city", "Bergen"}}).body, "ok");
    EXPECT_THAT(other.get("/ipinfo/ann").body.toStdString(), HasSubstr("City: Bergen"));
    EXPECT_EQ(owner.post("/secure/publish", {{"id", "ann"}, {"ip", "0"}}).body, "ok");
    EXPECT_EQ(lookUp().at("address"), "0");
    EXPECT_EQ(other.stop(), 0) << other.output().toStdString();
}

TEST_P(SecureTest, IPv6AndPortsArePublishedCheckedAndClearedAtLogoff)
{
    const SecureClient owner = client();
    ASSERT_EQ(owner.registerAccount("gil", "pw").body, "ok");
    const auto publish6 = [&owner](const std::string &ip, const std::string &ip6, const std::string &ports) {
        return owner.post("/secure/publish", {{"id", "gil"}, {"ip", ip}, {"ip6", ip6}, {"ports", ports}});
    };
    const auto published = [&owner] {
        const Pairs found = pairsOf(owner.get("/secure/lookup?id=gil"));
        return found.at("address") + " " + found.at("address6") + " " + found.at("ports");
    };
    EXPECT_EQ(publish6("10.1.1.1", "2001:DB8:0::5", "68,69,569,08080").body, "ok");
    EXPECT_EQ(published(), "10.1.1.1 2001:db8::5 68,69,569,8080");
    EXPECT_EQ(addressOf("gil"), "10.1.1.1");
    const std::pair<std::string, std::string> refused[] = {{"fe80::1", ""}, {"fd00::1", ""}, {"::ffff:10.1.1.1", ""},
        {"2001:db8::1%eth0", ""}, {"10.1.1.1", ""}, {"", "0,69,569,80"}, {"", "68,69,569"}, {"", "68,69,569,65536"},
        {"", "68,69,569,+80"}, {"", "68, 69,569,80"}};
    for (const auto &[ip6, ports] : refused)
        EXPECT_EQ(publish6("10.2.2.2", ip6, ports).status, 400) << ip6 << ports;
    EXPECT_EQ(published(), "10.1.1.1 2001:db8::5 68,69,569,8080");
    EXPECT_EQ(publish6("10.1.1.1", "::1", "").body, "ok") << "from this very machine";
    // A host with IPv6 alone is logged off for classic readers, which reach IPv4 only.
    EXPECT_EQ(publish6("", "2001:db8::6", "").body, "ok");
    EXPECT_EQ(published(), "0 2001:db8::6 ");
    EXPECT_EQ(addressOf("gil"), "0");
    EXPECT_EQ(publish6("", "", "").status, 400);
    EXPECT_EQ(publish6("0", "2001:db8::6", "68,69,569,80").body, "ok");
    EXPECT_EQ(published(), "0  ");
}

// Also an account kept in a database of the classic layout, which the server widens at start.
TEST_P(SecureTest, ClassicAccountBecomesSecureWithItsPassword)
{
    EXPECT_EQ(m_server->stop(), 0);
    m_database = std::make_unique<TestDatabase>(GetParam());
    m_database->query(QString::fromLatin1(quibo::directory::schema::createUsers));
    m_database->query(u"INSERT INTO quibo_users VALUES "
                      "('carl', 'pw1', 'Carl', '', 'c@example.org', 'Rome', '', '', '', '', '', '10.2.2.2')"_s);
    m_server = std::make_unique<quibo::test::DirectoryServer>(m_database->location());
    ASSERT_TRUE(m_server->start()) << m_server->output().toStdString();
    // The classic account works as before ...
    EXPECT_EQ(get("/ipinfo/readit.cgi?id=carl").body, "pw1\r\n");
    EXPECT_EQ(publish("carl", "10.3.3.3").status, 200);

    // ... until the key comes with its password.
    const SecureClient carl = client();
    EXPECT_EQ(carl.post("/secure/key", {{"id", "carl"}, {"password", "pw2"}}).status, 401);
    EXPECT_EQ(carl.post("/secure/key", {{"id", "carl"}, {"password", "pw1"}}).body, "ok");
    expectClosedToClassicRequests("carl", "pw1");
    EXPECT_EQ(carl.post("/secure/publish", {{"id", "carl"}, {"ip", "10.4.4.4"}}).body, "ok");
    EXPECT_EQ(addressOf("carl"), "10.4.4.4");

    // A new machine: a new key with the same password; the old key is out.
    const SecureClient moved = client();
    EXPECT_EQ(moved.post("/secure/key", {{"id", "carl"}, {"password", "pw1"}}).body, "ok");
    EXPECT_EQ(carl.post("/secure/publish", {{"id", "carl"}, {"ip", "10.5.5.5"}}).status, 401);
    EXPECT_EQ(pairsOf(moved.get("/secure/lookup?id=carl")).at("fingerprint"), moved.fingerprint());
}

TEST_P(SecureTest, GuessesAreHeldBackWhileTheOwnerStillLogsOn)
{
    const SecureClient owner = client();
    const SecureClient attacker = client();
    ASSERT_EQ(owner.registerAccount("dora", "right").body, "ok");
    const GuessLimiter::Rules rules;
    for (int i = 1; i <= rules.freeFailures + 1; ++i)
        EXPECT_EQ(attacker.post("/secure/key", {{"id", "dora"}, {"password", "wrong" + std::to_string(i)}}).status, 401);
    // Held back now: refused unchecked, even the right password.
    const Response held = attacker.post("/secure/key", {{"id", "dora"}, {"password", "right"}});
    EXPECT_EQ(held.status, 429);
    EXPECT_GE(std::stoi(held.retryAfter), 1);
    EXPECT_EQ(owner.post("/secure/publish", {{"id", "dora"}, {"ip", "10.9.9.9"}}).body, "ok");
    EXPECT_EQ(pairsOf(attacker.get("/secure/lookup?id=dora")).at("fingerprint"), owner.fingerprint());
    EXPECT_EQ(m_server->stop(), 0);
    EXPECT_THAT(m_server->output().toStdString(), HasSubstr("wrong password for \"dora\" from 127.0.0.1: failure 4, held back 1 s"));
    EXPECT_THAT(m_server->output().toStdString(), Not(HasSubstr("wrong1")));
}

TEST_P(SecureTest, SecureOnlyRefusesEveryClassicWrite)
{
    ASSERT_EQ(registerUser("eve", "pw").status, 200);
    m_server->stop();
    ASSERT_TRUE(m_server->start(0, {u"--secure-only"_s})) << m_server->output().toStdString();
    EXPECT_EQ(pairsOf(client().get("/secure/hello")).at("classic"), "closed");
    EXPECT_EQ(registerUser("frank", "pw").status, 403);
    EXPECT_EQ(publish("eve", "10.1.2.3").status, 403);
    EXPECT_THAT(get("/ipinfo/readit.cgi?id=eve").body, StartsWith("<"));
    EXPECT_EQ(addressOf("eve"), "0");
}

INSTANTIATE_TEST_SUITE_P(Backends, SecureTest, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         ::testing::PrintToStringParamName());

// The port speaks TLS 1.3 and plain HTTP alike; the self-made key is kept across restarts.
TEST(DirectoryTls, OnePortServesBothAndTheKeyIsKept)
{
    quibo::test::DirectoryServer server;
    ASSERT_TRUE(server.start(0, {u"--https-listen"_s, u"127.0.0.1:0"_s})) << server.output().toStdString();
    const QRegularExpressionMatch said =
        QRegularExpression(u"key fingerprint ([0-9a-f]{64})"_s).match(server.output());
    ASSERT_TRUE(said.hasMatch()) << server.output().toStdString();
    const std::string printed = said.captured(1).toStdString();
    EXPECT_EQ(serverKeyOn(server.port()), printed);
    EXPECT_EQ(serverKeyOn(server.port(), TLS1_2_VERSION), "") << "TLS 1.3 only";

    const Pairs hello = pairsOf(SecureClient(server.port()).get("/secure/hello"));
    EXPECT_EQ(hello, (Pairs{{"service", "quibo-directory"}, {"version", "1"}, {"observed", "127.0.0.1"}, {"classic", "open"}}));
    // The classic requests mean the same over TLS.
    EXPECT_EQ(SecureClient(server.port(), false).get("/ipadd/readit.cgi?id=LoopBack").body, "127.0.0.1");

    const auto tlsOnly = static_cast<quint16>(
        QRegularExpression(u"TLS alone on 127\\.0\\.0\\.1:(\\d+)"_s).match(server.output()).captured(1).toUInt());
    EXPECT_EQ(SecureClient(tlsOnly).get("/secure/hello").status, 200);
    EXPECT_FALSE(httplib::Client("127.0.0.1", tlsOnly).Get("/ipadd/LoopBack")) << "no plain HTTP there";

    struct stat key{};
    const QString keyFile = QFileInfo(server.database()).dir().filePath(u"quibo-directory.key"_s);
    ASSERT_EQ(::stat(QFile::encodeName(keyFile).constData(), &key), 0);
    EXPECT_EQ(key.st_mode & 0777, 0600u);
    EXPECT_EQ(server.stop(), 0) << server.output().toStdString();
    ASSERT_TRUE(server.start()) << server.output().toStdString();
    EXPECT_EQ(serverKeyOn(server.port()), printed);
    EXPECT_EQ(server.stop(), 0) << server.output().toStdString();
}

TEST(GuessLimiter, AThousandGuessesTakeDaysAndASuccessClearsTheHandle)
{
    GuessLimiter limiter;
    const GuessLimiter::Rules rules;
    const std::pair<int, int> delays[] = {{1, 0}, {3, 0}, {4, 1}, {5, 2}, {8, 16}, {13, 512}, {14, 900}, {1000, 900}};
    for (const auto &[failures, seconds] : delays)
        EXPECT_EQ(limiter.delayAfter(failures).count(), seconds) << failures;

    // The attacker waits out every hold-back it is given.
    auto now = GuessLimiter::Clock::time_point();
    const auto start = now;
    for (int guesses = 0; guesses < 1000;) {
        auto begun = limiter.begin(u"ann"_s, u"10.6.6.6"_s, now);
        if (const auto *wait = std::get_if<GuessLimiter::Seconds>(&begun)) {
            now += *wait;
        } else {
            std::get<GuessLimiter::Attempt>(begun).failed(now);
            ++guesses;
        }
    }
    EXPECT_GT(now - start, std::chrono::hours(24 * 9));

    // Held back by its source for every handle, and by the handle from every source.
    EXPECT_TRUE(std::holds_alternative<GuessLimiter::Seconds>(limiter.begin(u"bob"_s, u"10.6.6.6"_s, now)));
    EXPECT_TRUE(std::holds_alternative<GuessLimiter::Seconds>(limiter.begin(u"ann"_s, u"10.7.7.7"_s, now)));
    // One proof at a time for a handle, so that guesses sent at once still count one by one.
    {
        auto first = limiter.begin(u"cid"_s, u"10.1.1.1"_s, now);
        ASSERT_TRUE(std::holds_alternative<GuessLimiter::Attempt>(first));
        EXPECT_TRUE(std::holds_alternative<GuessLimiter::Seconds>(limiter.begin(u"cid"_s, u"10.2.2.2"_s, now)));
        for (int i = 0; i < rules.freeFailures; ++i)
            std::get<GuessLimiter::Attempt>(first).failed(now);
        std::get<GuessLimiter::Attempt>(first).succeeded();
    }
    // The success cleared the handle's count: three more failures cost nothing.
    for (int i = 0; i < rules.freeFailures; ++i) {
        auto begun = limiter.begin(u"cid"_s, u"10.3.3.3"_s, now);
        ASSERT_TRUE(std::holds_alternative<GuessLimiter::Attempt>(begun)) << i;
        EXPECT_EQ(std::get<GuessLimiter::Attempt>(begun).failed(now).second.count(), 0);
    }
}

} // namespace
