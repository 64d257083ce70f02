#include "TlsIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace quibo::directory {

using keys::openSslError;

void OpenSslFree::operator()(SSL_CTX *context) const
{
    SSL_CTX_free(context);
}

namespace {

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
