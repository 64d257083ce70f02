#pragma once

#include "UserInfo.h"

#include <QString>

#include <optional>
#include <stdexcept>

namespace quibo::directory {

// A failure of the database itself (unreachable, locked, unreadable), never of the data.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const QString &message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

enum class RegisterOutcome {
    Created,
    Updated,
    WrongPassword,
};

// Where the directory keeps its users and the broadcast message. Every member may be
// called from any thread at the same time; failures throw StoreError.
class DirectoryStore {
public:
    virtual ~DirectoryStore() = default;

    // Makes sure the tables exist and the database can be written.
    virtual void prepare() = 0;

    // The published address ("0" when logged off), or nullopt for an unknown handle.
    virtual std::optional<QString> address(const QString &handle) = 0;
    virtual std::optional<UserInfo> user(const QString &handle) = 0;

    // Adds the handle, or replaces its info when `info.password` is the stored one.
    // The password itself never changes, nor does the published address.
    virtual RegisterOutcome registerUser(const QString &handle, const UserInfo &info) = 0;

    // false when the handle is not registered.
    virtual bool setAddress(const QString &handle, const QString &address) = 0;

    virtual std::optional<QString> broadcast() = 0;
    virtual void setBroadcast(const std::optional<QString> &text) = 0;

    // Closes the calling thread's connection, if it has one. A thread that used the store
    // calls it before it ends.
    virtual void closeThreadConnection() = 0;
};

} // namespace quibo::directory
