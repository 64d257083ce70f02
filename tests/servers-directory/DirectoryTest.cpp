#include "DirectoryTest.h"

#include <QUrl>

#include <array>

namespace {

constexpr std::array registerKeys{"first",   "last", "email", "city",    "state",
                                  "country", "sex",  "age",   "persinfo"};

} // namespace

std::string encoded(const std::string &text)
{
    return QUrl::toPercentEncoding(QString::fromStdString(text)).toStdString();
}

void DirectoryTest::SetUp()
{
    if (const auto reason = TestDatabase::unavailable(GetParam()))
        GTEST_SKIP() << reason->toStdString();
    m_database = std::make_unique<TestDatabase>(GetParam());
    m_server = std::make_unique<quibo::test::DirectoryServer>(m_database->location());
    ASSERT_TRUE(m_server->start()) << m_server->output().toStdString();
}

void DirectoryTest::TearDown()
{
    if (m_server && m_server->isRunning()) {
        EXPECT_EQ(m_server->stop(), 0) << m_server->output().toStdString();
    }
}

Response DirectoryTest::get(const std::string &target) const
{
    const auto reply = m_server->get(QByteArray::fromStdString(target));
    return {reply.status, reply.body.toStdString(), reply.type.toStdString()};
}

Response DirectoryTest::registerUser(const std::string &handle, const std::string &password,
                                     const std::map<std::string, std::string> &fields) const
{
    std::string target = "/ipinfo/register.cgi?id=" + encoded(handle) + "&password=" + encoded(password);
    for (const char *key : registerKeys) {
        const auto it = fields.find(key);
        target += std::string("&") + key + "=" + (it == fields.end() ? "" : encoded(it->second));
    }
    return get(target);
}

Response DirectoryTest::publish(const std::string &handle, const std::string &address) const
{
    return get("/ipadd/writeip.cgi?id=" + encoded(handle) + "&ip=" + encoded(address));
}

std::string DirectoryTest::addressOf(const std::string &handle) const
{
    return get("/ipadd/readit.cgi?id=" + encoded(handle)).body;
}
