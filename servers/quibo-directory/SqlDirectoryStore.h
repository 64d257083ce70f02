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
    std::optional<UserInfo> user(const QString &handle) override;
    RegisterOutcome registerUser(const QString &handle, const UserInfo &info) override;
    bool setAddress(const QString &handle, const QString &address) override;
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

    DatabaseLocation m_location;
    quint64 m_serial;
};

} // namespace quibo::directory
