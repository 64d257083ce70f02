#include "TlsIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/sha.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace quibo::directory {

void OpenSslFree::operator()(EVP_PKEY *key) const
{
    EVP_PKEY_free(key);
}
void OpenSslFree::operator()(X509 *certificate) const
{
    X509_free(certificate);
}
void OpenSslFree::operator()(SSL_CTX *context) const
{
    SSL_CTX_free(context);
}

namespace {

// Long enough never to be renewed: clients pin the key, not a chain of trust.
constexpr long validSeconds = 20L * 366 * 24 * 3600;

struct BioFree {
    void operator()(BIO *bio) const { BIO_free(bio); }
};
using Bio = std::unique_ptr<BIO, BioFree>;

QString openSslError()
{
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0)
        return u"unknown OpenSSL error"_s;
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return QString::fromLatin1(text);
}

QByteArray bioBytes(BIO *bio)
{
    char *data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
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

// Written whole or not at all, readable by the owner alone when `secret`.
std::optional<QString> writeNewFile(const QString &name, const QByteArray &content, bool secret)
{
    const QByteArray path = QFile::encodeName(name);
    const QByteArray temporary = path + ".new";
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, secret ? 0600 : 0644);
    if (fd < 0)
        return u"cannot write %1: %2"_s.arg(name, QString::fromLocal8Bit(std::strerror(errno)));
    bool ok = ::fchmod(fd, secret ? 0600 : 0644) == 0;
    for (qsizetype done = 0; ok && done < content.size();) {
        const ssize_t n = ::write(fd, content.constData() + done, static_cast<size_t>(content.size() - done));
        ok = n > 0;
        done += ok ? n : 0;
    }
    ok = ok && ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (ok && ::rename(temporary.constData(), path.constData()) == 0)
        return std::nullopt;
    ::unlink(temporary.constData());
    return u"cannot write %1: %2"_s.arg(name, QString::fromLocal8Bit(std::strerror(ok ? errno : error)));
}

int acceptAnyCertificate(int, X509_STORE_CTX *)
{
    return 1;
}

} // namespace

std::optional<TlsIdentity> makeSelfSigned(const QString &commonName)
{
    TlsIdentity identity{PrivateKey(EVP_EC_gen("P-256")), Certificate(X509_new())};
    X509 *certificate = identity.certificate.get();
    if (!identity.key || !certificate)
        return std::nullopt;
    X509_NAME *name = X509_get_subject_name(certificate);
    const QByteArray cn = commonName.toUtf8();
    const bool ok =
        X509_set_version(certificate, X509_VERSION_3) == 1 && setRandomSerial(certificate) &&
        X509_gmtime_adj(X509_getm_notBefore(certificate), -3600) &&
        X509_gmtime_adj(X509_getm_notAfter(certificate), validSeconds) &&
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char *>(cn.constData()),
                                   static_cast<int>(cn.size()), -1, 0) == 1 &&
        X509_set_issuer_name(certificate, name) == 1 && X509_set_pubkey(certificate, identity.key.get()) == 1 &&
        X509_sign(certificate, identity.key.get(), EVP_sha256()) > 0;
    if (!ok)
        return std::nullopt;
    return identity;
}

QByteArray keyPem(const TlsIdentity &identity)
{
    const Bio bio(BIO_new(BIO_s_mem()));
    if (!bio || PEM_write_bio_PrivateKey(bio.get(), identity.key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1)
        return {};
    return bioBytes(bio.get());
}

QByteArray certificatePem(const TlsIdentity &identity)
{
    const Bio bio(BIO_new(BIO_s_mem()));
    if (!bio || PEM_write_bio_X509(bio.get(), identity.certificate.get()) != 1)
        return {};
    return bioBytes(bio.get());
}

std::variant<TlsIdentity, QString> readIdentity(const QString &certificateFile, const QString &keyFile)
{
    const auto read = [](const QString &name) -> std::variant<QByteArray, QString> {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly))
            return u"cannot read %1: %2"_s.arg(name, file.errorString());
        return file.readAll();
    };
    const auto certificateText = read(certificateFile);
    if (const auto *error = std::get_if<QString>(&certificateText))
        return *error;
    const auto keyText = read(keyFile);
    if (const auto *error = std::get_if<QString>(&keyText))
        return *error;
    const QByteArray &certificateBytes = std::get<QByteArray>(certificateText);
    const QByteArray &keyBytes = std::get<QByteArray>(keyText);

    const Bio certificateBio(BIO_new_mem_buf(certificateBytes.constData(), static_cast<int>(certificateBytes.size())));
    const Bio keyBio(BIO_new_mem_buf(keyBytes.constData(), static_cast<int>(keyBytes.size())));
    TlsIdentity identity{PrivateKey(PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr)),
                         Certificate(PEM_read_bio_X509(certificateBio.get(), nullptr, nullptr, nullptr))};
    if (!identity.certificate)
        return u"%1 holds no PEM certificate: %2"_s.arg(certificateFile, openSslError());
    if (!identity.key)
        return u"%1 holds no PEM private key (or one protected by a passphrase): %2"_s.arg(keyFile, openSslError());
    if (X509_check_private_key(identity.certificate.get(), identity.key.get()) != 1) {
        ERR_clear_error();
        return u"the key in %1 does not belong to the certificate in %2"_s.arg(keyFile, certificateFile);
    }
    return identity;
}

QByteArray keyFingerprint(const X509 *certificate)
{
    unsigned char *der = nullptr;
    const int size = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(certificate), &der);
    if (size <= 0)
        return {};
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(der, static_cast<size_t>(size), digest);
    OPENSSL_free(der);
    return QByteArray(reinterpret_cast<const char *>(digest), sizeof digest).toHex();
}

bool isKeyFingerprint(QByteArrayView text)
{
    if (text.size() != 2 * SHA256_DIGEST_LENGTH)
        return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

TlsFiles selfMadeFiles(const QString &folder)
{
    const QDir dir(folder);
    return {dir.filePath(u"quibo-directory.crt"_s), dir.filePath(u"quibo-directory.key"_s)};
}

std::variant<TlsFiles, QString> ensureSelfMade(const QString &folder)
{
    const TlsFiles files = selfMadeFiles(folder);
    const bool haveCertificate = QFileInfo::exists(files.certificate);
    const bool haveKey = QFileInfo::exists(files.key);
    if (haveCertificate && haveKey)
        return files;
    if (haveCertificate || haveKey)
        return u"%1 is there without %2: restore it, or remove both to make a new key, which clients "
               "that pinned the old one will refuse"_s.arg(haveKey ? files.key : files.certificate,
                                                           haveKey ? files.certificate : files.key);
    const std::optional<TlsIdentity> made = makeSelfSigned(u"quibo-directory"_s);
    if (!made)
        return u"cannot make a TLS key: "_s + openSslError();
    // The key first: a certificate alone would block the next start.
    if (auto error = writeNewFile(files.key, keyPem(*made), true))
        return *error;
    if (auto error = writeNewFile(files.certificate, certificatePem(*made), false)) {
        QFile::remove(files.key);
        return *error;
    }
    return files;
}

std::variant<TlsContext, QString> serverContext(const TlsIdentity &identity)
{
    TlsContext context(SSL_CTX_new(TLS_server_method()));
    if (!context)
        return openSslError();
    SSL_CTX *ctx = context.get();
    const bool ok = SSL_CTX_set_min_proto_version(ctx, TLS1_3_VERSION) == 1 &&
                    SSL_CTX_set_max_proto_version(ctx, TLS1_3_VERSION) == 1 &&
                    SSL_CTX_use_certificate(ctx, identity.certificate.get()) == 1 &&
                    SSL_CTX_use_PrivateKey(ctx, identity.key.get()) == 1 && SSL_CTX_check_private_key(ctx) == 1;
    if (!ok)
        return openSslError();
    SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, acceptAnyCertificate);
    // One ticket is enough for a client to resume.
    SSL_CTX_set_num_tickets(ctx, 1);
    return context;
}

} // namespace quibo::directory
