#pragma once

#include "keys/UserKey.h"

#include <QByteArray>
#include <QHostAddress>
#include <QSslConfiguration>
#include <QString>

#include <functional>
#include <optional>

namespace quibo {

class ContactTable;

// TLS between secure clients: the user's key as both ends present it, and the key a contact
// must show. Keys are checked by their fingerprint against the one the directory gave for the
// contact, never by authorities: the certificates are self-signed.
class PeerTls {
public:
    using KeyLoader = std::function<std::optional<UserKey>()>;

    PeerTls(const ContactTable &contacts, KeyLoader loadKey);

    // The fingerprint the contact at `address` must show: empty when no secure contact is
    // there (classic peers are spoken to in clear). A secure contact whose key is unknown gets
    // a fingerprint no key has, so nothing goes to it in clear.
    [[nodiscard]] QByteArray expectedKey(const QString &address) const;

    // Whether what came from `source` with `peerKey` may be taken where the source address
    // tells who speaks (the chat ports): a secure contact's address speaks only with its key.
    [[nodiscard]] bool admits(const QHostAddress &source, const QByteArray &peerKey) const;

    // The configuration for one end of a connection; nothing while the user has no key.
    [[nodiscard]] std::optional<QSslConfiguration> configuration();

    // Marks what no key's fingerprint can equal (fingerprints are hex digits).
    static inline const QByteArray NoKnownKey = QByteArrayLiteral("unknown");

private:
    const UserKey *ownKey();

    const ContactTable &m_contacts;
    KeyLoader m_loadKey;
    std::optional<UserKey> m_key;
};

} // namespace quibo
