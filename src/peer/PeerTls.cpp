#include "peer/PeerTls.h"

#include "contacts/ContactTable.h"

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

std::optional<QSslConfiguration> PeerTls::configuration()
{
    const UserKey *key = ownKey();
    if (!key)
        return std::nullopt;
    // Both ends ask for the other's certificate; its key is judged by fingerprint, by the
    // caller, before a byte of a record goes either way.
    QSslConfiguration tls = tlsPresenting(*key, QSslSocket::QueryPeer);
    tls.setCaCertificates({}); // no authority has a say, and none is loaded from the system
    return tls;
}

} // namespace quibo
