#include "ListeningSocket.h"

#include "CommandLine.h"

#include <cerrno>
#include <cstring>

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quibo::web {

namespace {

constexpr int Backlog = 64;

} // namespace

QString bindFailureText(const QString &host, quint16 port, int errnoValue, const QString &reason)
{
    QString text = QStringLiteral("Cannot listen on %1: %2.").arg(formatListenAddress(host, port), reason);
    if (errnoValue == EADDRINUSE)
        text += QStringLiteral(" Another program (or another Quibo32 web server) already uses this port.");
    else if (errnoValue == EACCES && port < 1024)
        text += QStringLiteral(" Ports below 1024 need root or the CAP_NET_BIND_SERVICE capability"
                               " (sudo setcap cap_net_bind_service=+ep quiboweb).");
    else if (errnoValue == EADDRNOTAVAIL)
        text += QStringLiteral(" This machine has no such address.");
    return text;
}

ListeningSocket openListeningSocket(const QString &host, quint16 port)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo *found = nullptr;
    const QByteArray service = QByteArray::number(port);
    const int resolved = ::getaddrinfo(host.toUtf8().constData(), service.constData(), &hints, &found);
    if (resolved != 0)
        return {-1, bindFailureText(host, port, 0, QString::fromLocal8Bit(::gai_strerror(resolved)))};

    int lastErrno = 0;
    for (addrinfo *candidate = found; candidate; candidate = candidate->ai_next) {
        const int fd = ::socket(candidate->ai_family, candidate->ai_socktype | SOCK_CLOEXEC, candidate->ai_protocol);
        if (fd < 0) {
            lastErrno = errno;
            continue;
        }
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        if (candidate->ai_family == AF_INET6 && host == u"::") {
            const int both = 0; // "::" takes IPv4 too, whatever the system's default
            ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &both, sizeof both);
        }
        if (::bind(fd, candidate->ai_addr, candidate->ai_addrlen) == 0 && ::listen(fd, Backlog) == 0) {
            ::freeaddrinfo(found);
            return {fd, {}};
        }
        lastErrno = errno;
        ::close(fd);
    }
    ::freeaddrinfo(found);
    if (host == u"::" && lastErrno == EAFNOSUPPORT) // a kernel without IPv6
        return openListeningSocket(QStringLiteral("0.0.0.0"), port);
    return {-1, bindFailureText(host, port, lastErrno, QString::fromLocal8Bit(std::strerror(lastErrno)))};
}

} // namespace quibo::web
