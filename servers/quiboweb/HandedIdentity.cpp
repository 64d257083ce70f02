#include "HandedIdentity.h"

#include "base/Lifeline.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace quibo::web {

namespace {
constexpr qsizetype MaxIdentityBytes = 64 * 1024;
} // namespace

HandedTls tlsFromEnvironment()
{
    const QByteArray value = qgetenv(TlsIdentityVariable);
    ::unsetenv(TlsIdentityVariable);
    if (value.isNull())
        return {};
    bool ok = false;
    const int fd = value.toInt(&ok);
    struct stat status {};
    if (!ok || fd < 0 || ::fstat(fd, &status) != 0 || !S_ISFIFO(status.st_mode))
        return {{}, QStringLiteral("no TLS identity at descriptor %1").arg(QString::fromLatin1(value))};
    QByteArray pem;
    char buffer[4096];
    ssize_t got = 0;
    while (pem.size() <= MaxIdentityBytes && ((got = ::read(fd, buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR)))
        pem.append(buffer, std::max<ssize_t>(got, 0));
    ::close(fd);
    const QString name = QStringLiteral("the handed identity");
    auto pair = keys::keyPairFromPem(pem, pem, name, name);
    if (const auto *error = std::get_if<QString>(&pair))
        return {{}, *error};
    // The downloader checks this key against the one the directory gave; who downloads is not
    // asked, as over plain HTTP (see docs/ARCHITECTURE.md).
    auto context = shared_port::serverContext(std::get<keys::KeyPair>(pair), shared_port::ClientCertificate::NotAsked);
    if (auto *error = std::get_if<QString>(&context))
        return {{}, *error};
    return {std::move(std::get<shared_port::TlsContext>(context)), {}};
}

} // namespace quibo::web
