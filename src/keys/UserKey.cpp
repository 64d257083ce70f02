#include "keys/UserKey.h"

#include "base/AtomicFile.h"
#include "keys/KeyMaking.h"

#include <QFile>

#include <openssl/evp.h>

namespace quibo {

namespace {

std::optional<UserKey> usable(const std::variant<keys::KeyPair, QString> &read)
{
    const auto *pair = std::get_if<keys::KeyPair>(&read);
    // Qt's key class takes the elliptic-curve keys this client makes, not any key OpenSSL reads.
    if (!pair || EVP_PKEY_get_base_id(pair->key.get()) != EVP_PKEY_EC)
        return std::nullopt;
    UserKey key{QSslCertificate(keys::certificatePem(*pair)),
                QSslKey(keys::keyPem(*pair), QSsl::Ec, QSsl::Pem, QSsl::PrivateKey),
                keys::keyFingerprint(pair->certificate.get())};
    if (key.certificate.isNull() || key.privateKey.isNull() || key.fingerprint.isEmpty())
        return std::nullopt;
    return key;
}

void moveAside(const QString &file)
{
    const QString aside = file + QStringLiteral(".damaged");
    QFile::remove(aside);
    QFile::rename(file, aside);
}

} // namespace

QSslConfiguration tlsPresenting(const UserKey &key, QSslSocket::PeerVerifyMode verify)
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setProtocol(QSsl::TlsV1_3OrLater);
    tls.setLocalCertificate(key.certificate);
    tls.setPrivateKey(key.privateKey);
    tls.setPeerVerifyMode(verify);
    return tls;
}

std::optional<UserKey> loadOrMakeUserKey(const QString &keyFile, const QString &certificateFile)
{
    const bool haveKey = QFile::exists(keyFile);
    const bool haveCertificate = QFile::exists(certificateFile);
    if (haveKey || haveCertificate) {
        const auto read = keys::readKeyPair(certificateFile, keyFile);
        if (std::optional<UserKey> key = usable(read))
            return key;
        qWarning("quibo32: the key pair cannot be used (%s); a new one replaces it",
                 qUtf8Printable(std::holds_alternative<QString>(read) ? std::get<QString>(read)
                                                                      : QStringLiteral("not an ECDSA key")));
        moveAside(keyFile);
        moveAside(certificateFile);
    }
    const std::optional<keys::KeyPair> made = keys::makeSelfSigned(QStringLiteral("quibo32"));
    if (!made)
        return std::nullopt;
    // The key first: a certificate alone is a damaged pair.
    if (!writeFileAtomically(keyFile, keys::keyPem(*made), OwnerOnly))
        return std::nullopt;
    if (!writeFileAtomically(certificateFile, keys::certificatePem(*made), OwnerOnly)) {
        QFile::remove(keyFile);
        return std::nullopt;
    }
    return usable(keys::readKeyPair(certificateFile, keyFile));
}

QByteArray keyFingerprintOf(const QSslCertificate &certificate)
{
    return certificate.isNull() ? QByteArray() : keys::keyFingerprintOfDer(certificate.toDer());
}

} // namespace quibo
