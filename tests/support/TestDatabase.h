#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>
#include <ostream>

namespace quibo::test {

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

} // namespace quibo::test
