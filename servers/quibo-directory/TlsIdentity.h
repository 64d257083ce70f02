#pragma once

#include <QByteArray>
#include <QString>

#include <openssl/types.h>

#include <memory>
#include <optional>
#include <variant>

namespace quibo::directory {

struct OpenSslFree {
    void operator()(EVP_PKEY *key) const;
    void operator()(X509 *certificate) const;
    void operator()(SSL_CTX *context) const;
};
using PrivateKey = std::unique_ptr<EVP_PKEY, OpenSslFree>;
using Certificate = std::unique_ptr<X509, OpenSslFree>;
using TlsContext = std::unique_ptr<SSL_CTX, OpenSslFree>;

// A key pair and the certificate that carries its public half.
struct TlsIdentity {
    PrivateKey key;
    Certificate certificate;
};

// A new ECDSA P-256 key in a certificate signed by itself; nullopt when OpenSSL fails.
std::optional<TlsIdentity> makeSelfSigned(const QString &commonName);

QByteArray keyPem(const TlsIdentity &identity);
QByteArray certificatePem(const TlsIdentity &identity);

// The identity in two PEM files, or why it cannot be used.
std::variant<TlsIdentity, QString> readIdentity(const QString &certificateFile, const QString &keyFile);

// How clients know a key: SHA-256 of the DER SubjectPublicKeyInfo, 64 lowercase hex digits.
QByteArray keyFingerprint(const X509 *certificate);
bool isKeyFingerprint(QByteArrayView text);

// The identity the server makes itself, in `folder`: quibo-directory.key (0600) and
// quibo-directory.crt. Made when neither is there; one without the other is refused, since
// replacing a key clients have pinned must be the operator's choice.
struct TlsFiles {
    QString certificate;
    QString key;
};
TlsFiles selfMadeFiles(const QString &folder);
std::variant<TlsFiles, QString> ensureSelfMade(const QString &folder);

// Serves TLS 1.3 only with `identity`. Asks every client for a certificate but lets it come
// without one, and takes any certificate: the handshake proves the client holds its key, and
// the requests compare that key with the one registered.
std::variant<TlsContext, QString> serverContext(const TlsIdentity &identity);

} // namespace quibo::directory
