#pragma once

#include <QByteArray>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QString>

#include <optional>

namespace quibo {

// The user's own key and the self-signed certificate that carries it, as TLS uses them.
struct UserKey {
    QSslCertificate certificate;
    QSslKey privateKey;
    QByteArray fingerprint; // keys::keyFingerprint of the certificate
};

// The key in `keyFile` and its certificate in `certificateFile`. When neither is there, a new
// ECDSA P-256 pair is made and written, both files readable by the user alone. A pair that
// cannot be used (damaged, or one file without the other) is moved aside as "<file>.damaged"
// and replaced: the account takes the new key at the next logon, on the password's proof.
// nullopt when no key could be made or written.
std::optional<UserKey> loadOrMakeUserKey(const QString &keyFile, const QString &certificateFile);

// TLS 1.3 presenting `key`, the other end's certificate checked as `verify` says.
QSslConfiguration tlsPresenting(const UserKey &key, QSslSocket::PeerVerifyMode verify);

// The fingerprint of the key a certificate carries; empty for a null certificate.
QByteArray keyFingerprintOf(const QSslCertificate &certificate);

} // namespace quibo
