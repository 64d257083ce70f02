#include "peer/PeerTls.h"

#include "contacts/ContactTable.h"
#include "peer/PeerRecord.h"

#include <QSslSocket>

namespace quibo {

namespace {
QByteArray required(const ContactRecord &contact)
{
    return contact.keyFingerprint.isEmpty() ? PeerTls::NoKnownKey : contact.keyFingerprint;
}
} // namespace

PeerTls::PeerTls(const ContactTable &contacts, KeyLoader loadKey)
    : m_contacts(contacts), m_loadKey(std::move(loadKey))
{
}

QByteArray PeerTls::expectedKey(const QString &address) const
{
    // The last record at that address speaks for it, as the last match does for a handle.
    const QList<ContactRecord> &records = m_contacts.records();
    for (auto it = records.crbegin(); it != records.crend(); ++it) {
        if (it->address == address && it->keyHeld)
            return KeyHeld;
        if (it->address == address && it->secure)
            return required(*it);
    }
    return {};
}

bool PeerTls::admits(const QHostAddress &source, const QByteArray &peerKey) const
{
    bool isV4 = false;
    const quint32 v4 = source.toIPv4Address(&isV4);
    const QByteArray expected = expectedKey(isV4 ? QHostAddress(v4).toString() : source.toString());
    return expected.isEmpty() || (!peerKey.isEmpty() && peerKey == expected);
}

const UserKey *PeerTls::ownKey()
{
    if (!m_key && m_loadKey)
        m_key = m_loadKey();
    return m_key ? &*m_key : nullptr;
}

QByteArray PeerTls::ownFingerprint()
{
    const UserKey *key = ownKey();
    return key ? key->fingerprint : QByteArray();
}

std::optional<QSslConfiguration> PeerTls::configuration()
{
    if (!m_server) {
        const UserKey *key = ownKey();
        if (!key)
            return std::nullopt;
        // The other end's key is judged by fingerprint, by the caller, before a byte of a
        // record goes either way.
        m_server = tlsPresenting(*key, QSslSocket::QueryPeer);
        m_server->setCaCertificates({}); // no authority has a say, and none is loaded from the system
        // Qt 6.4 makes an OpenSSL context per socket, each sealing tickets with keys of its own
        // and none able to share them, so no ticket could ever be taken back: sealing them only
        // costs.
        m_server->setSslOption(QSsl::SslOptionDisableSessionTickets, true);
        m_recordsServer = *m_server;
        m_recordsServer->setAllowedNextProtocols({peer::KeptRecordsProtocol});
        m_recordsClient = *m_recordsServer;
        // Checking a self-signed certificate against no authorities only fails, costing a chain
        // built and its errors turned into Qt's; the handshake's signature is checked either way.
        m_recordsClient->setPeerVerifyMode(QSslSocket::VerifyNone);
    }
    return m_server;
}

std::optional<QSslConfiguration> PeerTls::recordsConfiguration()
{
    return configuration() ? m_recordsServer : std::nullopt;
}

std::optional<QSslConfiguration> PeerTls::recordsClientConfiguration()
{
    return configuration() ? m_recordsClient : std::nullopt;
}

} // namespace quibo
