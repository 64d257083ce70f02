#include "keys/KeyMaking.h"

#include <QFile>
#include <QStringList>

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

namespace quibo::keys {

void OpenSslFree::operator()(EVP_PKEY *key) const
{
    EVP_PKEY_free(key);
}

void OpenSslFree::operator()(X509 *certificate) const
{
    X509_free(certificate);
}

namespace {

constexpr long validSeconds = 20L * 366 * 24 * 3600;

struct BioFree {
    void operator()(BIO *bio) const { BIO_free(bio); }
};
using Bio = std::unique_ptr<BIO, BioFree>;

// The PEM text `write` puts into a memory BIO; empty when it fails.
template <typename Write> QByteArray pemOf(Write write)
{
    const Bio bio(BIO_new(BIO_s_mem()));
    if (!bio || write(bio.get()) != 1)
        return {};
    char *data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return QByteArray(data, static_cast<qsizetype>(size));
}

bool setRandomSerial(X509 *certificate)
{
    BIGNUM *number = BN_new();
    const bool ok = number && BN_rand(number, 127, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) == 1 &&
                    BN_to_ASN1_INTEGER(number, X509_get_serialNumber(certificate));
    BN_free(number);
    return ok;
}

} // namespace

QString openSslError()
{
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0)
        return QStringLiteral("unknown OpenSSL error");
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return QString::fromLatin1(text);
}

std::optional<KeyPair> makeSelfSigned(const QString &commonName)
{
    KeyPair pair{PrivateKey(EVP_EC_gen("P-256")), Certificate(X509_new())};
    X509 *certificate = pair.certificate.get();
    if (!pair.key || !certificate)
        return std::nullopt;
    X509_NAME *name = X509_get_subject_name(certificate);
    const QByteArray cn = commonName.toUtf8();
    // An hour back, for clocks that are a little behind.
    const bool ok = X509_set_version(certificate, X509_VERSION_3) == 1 && setRandomSerial(certificate) &&
                    X509_gmtime_adj(X509_getm_notBefore(certificate), -3600) &&
                    X509_gmtime_adj(X509_getm_notAfter(certificate), validSeconds) &&
                    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                                               reinterpret_cast<const unsigned char *>(cn.constData()),
                                               static_cast<int>(cn.size()), -1, 0) == 1 &&
                    X509_set_issuer_name(certificate, name) == 1 &&
                    X509_set_pubkey(certificate, pair.key.get()) == 1 &&
                    X509_sign(certificate, pair.key.get(), EVP_sha256()) > 0;
    if (!ok)
        return std::nullopt;
    return pair;
}

std::variant<KeyPair, QString> keyPairFromPem(QByteArrayView certificateText, QByteArrayView keyText,
                                              const QString &certificateName, const QString &keyName)
{
    const Bio certificateBio(BIO_new_mem_buf(certificateText.data(), static_cast<int>(certificateText.size())));
    const Bio keyBio(BIO_new_mem_buf(keyText.data(), static_cast<int>(keyText.size())));
    KeyPair pair{PrivateKey(PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr)),
                 Certificate(PEM_read_bio_X509(certificateBio.get(), nullptr, nullptr, nullptr))};
    if (!pair.certificate)
        return QStringLiteral("%1 holds no PEM certificate: %2").arg(certificateName, openSslError());
    if (!pair.key)
        return QStringLiteral("%1 holds no PEM private key (or one protected by a passphrase): %2")
            .arg(keyName, openSslError());
    if (X509_check_private_key(pair.certificate.get(), pair.key.get()) != 1) {
        ERR_clear_error();
        return QStringLiteral("the key in %1 does not belong to the certificate in %2").arg(keyName, certificateName);
    }
    return pair;
}

std::variant<KeyPair, QString> readKeyPair(const QString &certificateFile, const QString &keyFile)
{
    const auto read = [](const QString &name) -> std::variant<QByteArray, QString> {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("cannot read %1: %2").arg(name, file.errorString());
        return file.readAll();
    };
    const auto certificateText = read(certificateFile);
    if (const auto *error = std::get_if<QString>(&certificateText))
        return *error;
    const auto keyText = read(keyFile);
    if (const auto *error = std::get_if<QString>(&keyText))
        return *error;
    return keyPairFromPem(std::get<QByteArray>(certificateText), std::get<QByteArray>(keyText), certificateFile,
                          keyFile);
}

QByteArray keyPem(const KeyPair &pair)
{
    return pemOf([&pair](BIO *bio) {
        return PEM_write_bio_PrivateKey(bio, pair.key.get(), nullptr, nullptr, 0, nullptr, nullptr);
    });
}

QByteArray certificatePem(const KeyPair &pair)
{
    return pemOf([&pair](BIO *bio) { return PEM_write_bio_X509(bio, pair.certificate.get()); });
}

QByteArray keyFingerprint(const X509 *certificate)
{
    unsigned char *der = nullptr;
    const int size = certificate ? i2d_X509_PUBKEY(X509_get_X509_PUBKEY(certificate), &der) : 0;
    if (size <= 0)
        return {};
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestSize = 0;
    const bool ok =
        EVP_Digest(der, static_cast<size_t>(size), digest, &digestSize, EVP_sha256(), nullptr) == 1;
    OPENSSL_free(der);
    return ok ? QByteArray(reinterpret_cast<const char *>(digest), digestSize).toHex() : QByteArray();
}

QByteArray keyFingerprintOfDer(QByteArrayView certificateDer)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(certificateDer.data());
    const Certificate certificate(d2i_X509(nullptr, &bytes, static_cast<long>(certificateDer.size())));
    return keyFingerprint(certificate.get());
}

bool isKeyFingerprint(QByteArrayView text)
{
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

QString readableFingerprint(QByteArrayView fingerprint)
{
    QStringList groups;
    for (qsizetype at = 0; at < fingerprint.size(); at += 4)
        groups.append(
            QString::fromLatin1(fingerprint.sliced(at, std::min<qsizetype>(4, fingerprint.size() - at))));
    return groups.join(u' ');
}

} // namespace quibo::keys
