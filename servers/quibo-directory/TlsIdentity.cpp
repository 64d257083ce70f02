#include "TlsIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>


#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace quibo::directory {

using keys::openSslError;

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

} // namespace quibo::directory
