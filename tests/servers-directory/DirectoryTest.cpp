#include "DirectoryTest.h"

using namespace Qt::StringLiterals;

void DirectoryTest::SetUp()
{
    if (const auto reason = TestDatabase::unavailable(GetParam()))
        GTEST_SKIP() << reason->toStdString();
    m_database = std::make_unique<TestDatabase>(GetParam());
    m_server = std::make_unique<quibo::test::DirectoryServer>(m_database->location());
    ASSERT_TRUE(m_server->start()) << m_server->output().toStdString();
}

Response DirectoryTest::registerUser(const std::string &handle, const std::string &password,
                                     const std::map<std::string, std::string> &fields) const
{
    std::string target = "/ipinfo/register.cgi?id=" + encoded(handle) + "&password=" + encoded(password);
    for (const char *key : {"first", "last", "email", "city", "state", "country", "sex", "age", "persinfo"}) {
        const auto it = fields.find(key);
        target += std::string("&") + key + "=" + (it == fields.end() ? "" : encoded(it->second));
    }
    return get(target);
}
