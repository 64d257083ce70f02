#pragma once

#include "UserInfo.h"

#include <QByteArray>
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

enum class WriteOutcome {
    Written,
    Unknown, // no such handle
    Refused, // the handle is there, but not for this writer
};

// A classic account keeps its password in clear, which the classic client reads back to
// check. A secure one keeps only a hash of it, and the fingerprint of its user's key.
struct Account {
    bool secure = false;
    UserInfo info; // info.password: empty for a secure account
    QByteArray passwordHash;
    QByteArray keyFingerprint;
    QString address;
};

// What a secure account publishes. Logged off: address "0" and the rest empty. A host with
// no IPv4 address publishes "0" beside its IPv6 one, so classic readers see it logged off.
struct Published {
    QString address;  // "0" or a dotted IPv4 address
    QString address6; // a global IPv6 address, or empty
    QString ports;    // "peer,channel,private,web", or empty for the fixed ones
};

// What a look-up tells about a handle.
struct Contact {
    QString address;
    bool secure = false;
    QByteArray keyFingerprint;
    QString address6; // secure accounts only, as published
    QString ports;
};

// Where the directory keeps its users and the broadcast message. Every member may be
// called from any thread at the same time; failures throw StoreError. Nothing is cached:
// instances sharing one database see each other's writes at once.
class DirectoryStore {
public:
    virtual ~DirectoryStore() = default;

    // Makes sure the tables exist, with every column, and the database can be written.
    virtual void prepare() = 0;

    // The published address ("0" when logged off), or nullopt for an unknown handle.
    virtual std::optional<QString> address(const QString &handle) = 0;
    virtual std::optional<Contact> contact(const QString &handle) = 0;
    virtual std::optional<Account> account(const QString &handle) = 0;

    // Classic accounts only: adds the handle, or replaces its info when `info.password` is the
    // stored one. The password itself never changes, nor does the published address.
    virtual RegisterOutcome registerUser(const QString &handle, const UserInfo &info) = 0;
    // Classic accounts only; Refused for a secure one.
    virtual WriteOutcome setAddress(const QString &handle, const QString &address) = 0;

    // Adds a secure account (`info.password` is not used); false when the handle is taken.
    virtual bool addSecure(const QString &handle, const UserInfo &info, const QByteArray &passwordHash,
                           const QByteArray &keyFingerprint) = 0;
    // For a secure account whose key is `keyFingerprint`; Refused for any other.
    virtual WriteOutcome setSecureAddress(const QString &handle, const QByteArray &keyFingerprint,
                                          const Published &published) = 0;
    virtual WriteOutcome setSecureInfo(const QString &handle, const QByteArray &keyFingerprint,
                                       const UserInfo &info) = 0;
    // Makes a classic account whose password is still `classicPassword` secure: the clear
    // password goes, the hash and the key come. false when it changed meanwhile.
    virtual bool makeSecure(const QString &handle, const QString &classicPassword, const QByteArray &passwordHash,
                            const QByteArray &keyFingerprint) = 0;
    // Gives a secure account whose hash is still `passwordHash` the key `keyFingerprint`.
    virtual bool replaceKey(const QString &handle, const QByteArray &passwordHash,
                            const QByteArray &keyFingerprint) = 0;

    virtual std::optional<QString> broadcast() = 0;
    virtual void setBroadcast(const std::optional<QString> &text) = 0;

    // Closes the calling thread's connection, if it has one. A thread that used the store
    // calls it before it ends.
    virtual void closeThreadConnection() = 0;
};

} // namespace quibo::directory
