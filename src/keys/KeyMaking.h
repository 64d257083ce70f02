#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <openssl/types.h>

#include <memory>
#include <optional>
#include <variant>

namespace quibo::keys {

struct OpenSslFree {
    void operator()(EVP_PKEY *key) const;
    void operator()(X509 *certificate) const;
};
using PrivateKey = std::unique_ptr<EVP_PKEY, OpenSslFree>;
using Certificate = std::unique_ptr<X509, OpenSslFree>;

// A key pair and the certificate that carries its public half.
struct KeyPair {
    PrivateKey key;
    Certificate certificate;
};

// A new ECDSA P-256 key in a certificate signed by itself, valid for twenty years (a key is
// pinned, not renewed); nullopt when OpenSSL fails.
std::optional<KeyPair> makeSelfSigned(const QString &commonName);

// The pair in two PEM files (the key without a passphrase), or why it cannot be used.
std::variant<KeyPair, QString> readKeyPair(const QString &certificateFile, const QString &keyFile);

// The same from PEM texts (one text may hold both); the names say where they came from.
std::variant<KeyPair, QString> keyPairFromPem(QByteArrayView certificateText, QByteArrayView keyText,
                                              const QString &certificateName, const QString &keyName);

// PEM texts: the key unencrypted (PKCS #8), the certificate; empty when OpenSSL fails.
QByteArray keyPem(const KeyPair &pair);
QByteArray certificatePem(const KeyPair &pair);

// How a key is known: the SHA-256 of its DER SubjectPublicKeyInfo, 64 lowercase hex digits;
// empty when there is no key.
QByteArray keyFingerprint(const X509 *certificate);
// The same from a certificate in DER, as TLS libraries hand it over.
QByteArray keyFingerprintOfDer(QByteArrayView certificateDer);
bool isKeyFingerprint(QByteArrayView text);

// The oldest failure in OpenSSL's queue of this thread, worded; the queue is emptied.
QString openSslError();

// A fingerprint to read aloud and compare by eye: sixteen groups of four digits, "1a2b 3c4d ...".
QString readableFingerprint(QByteArrayView fingerprint);

} // namespace quibo::keys
