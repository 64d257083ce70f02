#pragma once

#include "DirectoryServer.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

enum class Backend { Sqlite, Postgres };

inline std::ostream &operator<<(std::ostream &out, Backend backend)
{
    return out << (backend == Backend::Sqlite ? "Sqlite" : "Postgres");
}

// A fresh, empty database for one test: an SQLite file in a temporary folder, or a schema
// of its own on the PostgreSQL server named by QUIBO_TEST_POSTGRES_URL.
class TestDatabase {
public:
    // Why `backend` is skipped here, or nullopt. PostgreSQL is skipped only when no server is
    // named and QUIBO_REQUIRE_POSTGRES is unset; a server that can't be reached fails the test.
    static std::optional<QString> unavailable(Backend backend);
    // Runs `sql` on the PostgreSQL server as the test's own client.
    static void postgresExec(const QString &sql);

    explicit TestDatabase(Backend backend);
    ~TestDatabase();
    TestDatabase(const TestDatabase &) = delete;
    TestDatabase &operator=(const TestDatabase &) = delete;

    // What --database takes.
    QString location() const { return m_location; }
    // Runs `sql` in this database as a program of the test's own; the first row it gives.
    QStringList query(const QString &sql) const;
    QString folder() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;
    QString m_location;
    QString m_schema;
};

struct Response {
    int status = -1; // -1: no reply at all
    std::string body;
    std::string type;
    std::string retryAfter;
};

// `text` percent-encoded for a query value or a path piece.
inline std::string encoded(const std::string &text)
{
    return QUrl::toPercentEncoding(QString::fromStdString(text)).toStdString();
}

// A quibo-directory on a fresh database of the backend under test.
class DirectoryTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override;
    // The server must end cleanly: a sanitizer report makes its exit code non-zero.
    void TearDown() override
    {
        if (m_server && m_server->isRunning()) {
            EXPECT_EQ(m_server->stop(), 0) << m_server->output().toStdString();
        }
    }

    Response get(const std::string &target) const
    {
        const auto reply = m_server->get(QByteArray::fromStdString(target));
        return {reply.status, reply.body.toStdString(), reply.type.toStdString(), {}};
    }
    // register.cgi with every key in the client's order; `fields` fills the ones given.
    Response registerUser(const std::string &handle, const std::string &password,
                          const std::map<std::string, std::string> &fields = {}) const;
    Response publish(const std::string &handle, const std::string &address) const
    {
        return get("/ipadd/writeip.cgi?id=" + encoded(handle) + "&ip=" + encoded(address));
    }
    // The body of /ipadd/readit.cgi, as the contact pass reads it.
    std::string addressOf(const std::string &handle) const
    {
        return get("/ipadd/readit.cgi?id=" + encoded(handle)).body;
    }

    std::unique_ptr<TestDatabase> m_database;
    std::unique_ptr<quibo::test::DirectoryServer> m_server;
};
