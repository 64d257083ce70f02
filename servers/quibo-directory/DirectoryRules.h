#pragma once

#include <QString>

#include <optional>
#include <variant>

namespace quibo::directory {

// The handle every directory knows, always at the local address.
inline constexpr QStringView loopBackHandle = u"LoopBack";
inline constexpr QStringView loopBackAddress = u"127.0.0.1";

// Why a handle cannot be registered, or nullopt when it can.
// Lookups never need this: a handle that cannot be registered is simply unknown.
std::optional<QString> handleProblem(const QString &handle);

// Why a password cannot be stored, or nullopt.
std::optional<QString> passwordProblem(const QString &password);

// "0" (logged off) or a dotted IPv4 address in its usual form.
bool isPublishableAddress(const QString &address);

// A global unicast IPv6 address (2000::/3) in its canonical text, or nullopt for anything
// else: link-local, unique local, mapped IPv4, a zone, a malformed text.
std::optional<QString> globalIPv6(const QString &text);
// globalIPv6, and "::1" too when `source` (the request's source address) is this machine's
// loopback: clients on the directory's own machine reach each other there.
std::optional<QString> publishableIPv6(const QString &text, const QString &source);

// "peer,channel,private,web": four decimal ports from 1 to 65535, canonical (no leading
// zeros), or nullopt.
std::optional<QString> portList(const QString &text);

// An info field as stored: control characters become spaces (the value is shown as one
// line), then cut to `maxBytes` UTF-8 bytes without splitting a character.
QString cleanInfoField(const QString &value, qsizetype maxBytes);

// The operator's broadcast file turned into the reply body (every line ended by CR LF),
// or why it cannot be used.
struct BroadcastError {
    QString message;
};
std::variant<QString, BroadcastError> broadcastFromFile(const QByteArray &content);

} // namespace quibo::directory
