#pragma once

#include "UserInfo.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace quibo::directory {

// In a query string "+" stays "+" (the classic client never sends it for a space); in a
// form body it is a space.
enum class Plus { Kept, Space };

// %XX sequences decoded to bytes; nullopt for a malformed sequence.
std::optional<QByteArray> percentDecode(QByteArrayView raw, Plus plus = Plus::Kept);

// Percent-decoded UTF-8 text; nullopt for a malformed sequence, bytes that are not UTF-8,
// or a NUL character (neither database can keep one).
std::optional<QString> decodeText(QByteArrayView raw, Plus plus = Plus::Kept);

// The key=value pairs of a query string, decoded.
class Query {
public:
    // nullopt when any key or value cannot be decoded.
    static std::optional<Query> parse(QByteArrayView raw);
    // An application/x-www-form-urlencoded body; nullopt also when a key comes twice, which
    // could mean one thing to us and another to whoever checked the form before.
    static std::optional<Query> parseForm(QByteArrayView body);

    // The first value given for `key`.
    std::optional<QString> value(QStringView key) const;

private:
    static std::optional<Query> read(QByteArrayView raw, Plus plus, bool uniqueKeys);

    QList<std::pair<QString, QString>> m_items;
};

// A request target split into its decoded path and its raw query.
struct Target {
    QString path;
    QByteArray query;
    bool hasQuery = false; // a "?" was there, even with nothing after it
};
std::optional<Target> splitTarget(QByteArrayView target);

// The HTML page for a failure. It begins with "<", which the client reads as
// "no such thing".
QByteArray errorPage(int status, const QString &message);

// The page the footer link of the personal pages opens.
QByteArray footerPage();

// The secure requests' reply: one "key=value" line for each pair, each ended by LF. A value
// never holds a line end: one would be cut there.
QByteArray keyValueText(const QList<std::pair<QByteArray, QByteArray>> &pairs);

// Such a reply read back; nullopt for a line without "=", a key that is not lowercase letters,
// digits or "_", a key given twice, or a last line without its LF.
std::optional<QList<std::pair<QByteArray, QByteArray>>> parseKeyValueText(QByteArrayView text);

// What "/ipinfo/<handle>" shows about a registered user: public fields only, never the
// password or the e-mail address. Lines end in CR LF.
QByteArray publicInfoText(const QString &handle, const UserInfo &info);

} // namespace quibo::directory
