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
    // a fingerprint no key has, so nothing goes to it in clear; one whose new key the user has
    // not accepted gets KeyHeld.
    [[nodiscard]] QByteArray expectedKey(const QString &address) const;

    // Whether what came from `source` with `peerKey` may be taken where the source address
    // tells who speaks (the chat ports): a secure contact's address speaks only with its key.
    [[nodiscard]] bool admits(const QHostAddress &source, const QByteArray &peerKey) const;

    // The user's own key's fingerprint; empty while there is none.
    [[nodiscard]] QByteArray ownFingerprint();

    // The configuration for the listening end of a connection, which asks for the other's
    // certificate; nothing while the user has no key.
    [[nodiscard]] std::optional<QSslConfiguration> configuration();
    // The same for the listening end of the peer and chat ports, which keeps a connection for
    // many records when the sender offers it (peer::KeptRecordsProtocol).
    [[nodiscard]] std::optional<QSslConfiguration> recordsConfiguration();
    // The sending end's, offering that. The listener's certificate is judged by fingerprint
    // alone, so no chain is built for it (the handshake still proves the listener holds its key).
    [[nodiscard]] std::optional<QSslConfiguration> recordsClientConfiguration();

    // Marks what no key's fingerprint can equal (fingerprints are hex digits).
    static inline const QByteArray NoKnownKey = QByteArrayLiteral("unknown");
    // What expectedKey gives for a contact held until the user accepts its new key: no key
    // equals it either, and the sender sends nothing at all.
    static inline const QByteArray KeyHeld = QByteArrayLiteral("held");

private:
    const UserKey *ownKey();

    const ContactTable &m_contacts;
    KeyLoader m_loadKey;
    std::optional<UserKey> m_key;
    // Made once: Qt copies them per socket.
    std::optional<QSslConfiguration> m_server;
    std::optional<QSslConfiguration> m_recordsServer;
    std::optional<QSslConfiguration> m_recordsClient;
};

} // namespace quibo
