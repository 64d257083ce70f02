#pragma once

#include "DatabaseLocation.h"
#include "DirectoryStore.h"

#include <QByteArray>

#include <functional>
#include <initializer_list>

struct pg_result;

namespace quibo::directory {

// DirectoryStore on PostgreSQL through libpq. Every thread that uses the store gets its own
// connection on first use, with the statements prepared on it as they are first needed; the
// thread closes it before it ends (the creating thread, with the store). Nothing read is
// kept between calls, so instances sharing one database see each other's writes at once.
class PgDirectoryStore final : public DirectoryStore {
public:
    explicit PgDirectoryStore(DatabaseLocation location);
    ~PgDirectoryStore() override;
    PgDirectoryStore(const PgDirectoryStore &) = delete;
    PgDirectoryStore &operator=(const PgDirectoryStore &) = delete;

    void prepare() override;
    std::optional<QString> address(const QString &handle) override;
    std::optional<Contact> contact(const QString &handle) override;
    std::optional<Account> account(const QString &handle) override;
    RegisterOutcome registerUser(const QString &handle, const UserInfo &info) override;
    WriteOutcome setAddress(const QString &handle, const QString &address) override;
    bool addSecure(const QString &handle, const UserInfo &info, const QByteArray &passwordHash,
                   const QByteArray &keyFingerprint) override;
    WriteOutcome setSecureAddress(const QString &handle, const QByteArray &keyFingerprint,
                                  const Published &published) override;
    WriteOutcome setSecureInfo(const QString &handle, const QByteArray &keyFingerprint, const UserInfo &info) override;
    bool makeSecure(const QString &handle, const QString &classicPassword, const QByteArray &passwordHash,
                    const QByteArray &keyFingerprint) override;
    bool replaceKey(const QString &handle, const QByteArray &passwordHash, const QByteArray &keyFingerprint) override;
    std::optional<QString> broadcast() override;
    void setBroadcast(const std::optional<QString> &text) override;
    void closeThreadConnection() override;

    enum class Statement;

private:
    using Reader = std::function<void(const pg_result *)>;
    // Runs the prepared `statement` with `values` (UTF-8 text) on this thread's connection,
    // hands the result to `read`, and returns the number of rows changed. Throws StoreError.
    // A kept connection found dropped is replaced, and the statement run once more.
    int run(Statement statement, std::initializer_list<QByteArray> values, const Reader &read = {});
    int runOnce(Statement statement, std::initializer_list<QByteArray> values, const Reader &read);
    // For statements that are not prepared (transactions, schema).
    void runUnprepared(const char *sql);
    // Written when `changed` rows, else whether the handle is there at all.
    WriteOutcome outcome(int changed, const QString &handle);

    QByteArray m_conninfo;
    quint64 m_serial;
};

} // namespace quibo::directory
