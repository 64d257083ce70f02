// Several directory servers on one database, as behind a load balancer: what one writes,
// the others read at once.

#include "DirectoryTest.h"

#include <gmock/gmock.h>

using namespace Qt::StringLiterals;
using quibo::test::DirectoryServer;
using ::testing::HasSubstr;

namespace {

using SharedDatabase = DirectoryTest;

TEST_P(SharedDatabase, WritesThroughOneServerAreReadAtOnceThroughTheOther)
{
    DirectoryServer other(m_database->location());
    ASSERT_TRUE(other.start()) << other.output().toStdString();
    const auto body = [](const DirectoryServer::Reply &reply) { return reply.body.toStdString(); };

    // A handle first asked for (and missed) through the other, then registered through this one.
    EXPECT_EQ(other.addressOf(u"shared"_s), u"0"_s);
    EXPECT_EQ(body(other.get("/ipadd/shared")).substr(0, 1), "<");
    ASSERT_EQ(registerUser("shared", "pw", {{"city", "Oslo"}}).status, 200);
    EXPECT_THAT(body(other.get("/ipinfo/shared")), HasSubstr("City: Oslo\r\n"));
    EXPECT_EQ(body(other.get("/ipinfo/readit.cgi?id=shared")), "pw\r\n");
    EXPECT_EQ(body(other.get("/ipadd/shared")), "0");

    // Addresses flip back and forth, published through either server.
    for (int i = 1; i <= 20; ++i) {
        const QString address = u"10.0.0.%1"_s.arg(i);
        DirectoryServer &writer = i % 2 ? other : *m_server;
        const DirectoryServer &reader = i % 2 ? *m_server : other;
        ASSERT_TRUE(writer.publish(u"shared"_s, address));
        EXPECT_EQ(reader.addressOf(u"shared"_s), address);
        EXPECT_EQ(reader.get("/ipadd/shared").body, address.toUtf8());
    }
    ASSERT_TRUE(other.publish(u"shared"_s, u"0"_s));
    EXPECT_EQ(addressOf("shared"), "0");

    // Changed info, and a second registration of the handle refused by the other server.
    ASSERT_EQ(registerUser("shared", "pw", {{"city", "Bergen"}}).status, 200);
    EXPECT_THAT(body(other.get("/ipinfo/shared")), HasSubstr("City: Bergen\r\n"));
    EXPECT_FALSE(other.registerUser(u"shared"_s, u"other"_s));
    EXPECT_EQ(other.stop(), 0) << other.output().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, SharedDatabase, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         backendName);

} // namespace
