#pragma once

#include "DatabaseLocation.h"
#include "DirectoryStore.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>

#include <functional>

namespace quibo::directory {

// DirectoryStore on an SQLite file through Qt SQL. A Qt SQL connection may be
// used only by the thread that opened it, so every thread gets its own connection on
// first use; the thread closes it before it ends (the creating thread, with the store).
class SqlDirectoryStore final : public DirectoryStore {
public:
    explicit SqlDirectoryStore(DatabaseLocation location);
    ~SqlDirectoryStore() override;
    SqlDirectoryStore(const SqlDirectoryStore &) = delete;
    SqlDirectoryStore &operator=(const SqlDirectoryStore &) = delete;

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

private:
    using Reader = std::function<void(QSqlQuery &)>;
    // Runs `sql` with `values` bound in order on this thread's connection, hands the
    // result to `read`, and returns the number of rows changed. Throws StoreError.
    int run(const QString &sql, const QVariantList &values = {}, const Reader &read = {});
    // For statements that cannot be prepared (transactions, schema).
    void runUnprepared(const QString &sql);
    [[noreturn]] void fail(const QSqlError &error);
    // Written when `changed` rows, else whether the handle is there at all.
    WriteOutcome outcome(int changed, const QString &handle);

    DatabaseLocation m_location;
    quint64 m_serial;
};

} // namespace quibo::directory
