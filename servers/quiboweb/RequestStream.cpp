#include "RequestStream.h"

#include "RequestHead.h"
#include "RequestTarget.h"
#include "SharedPort.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

namespace quibo::web {

namespace {

constexpr qsizetype ReadChunk = 16 * 1024;
constexpr qsizetype MaxRequestLine = 8192; // longer lines go to the parser as they are (414)
constexpr qsizetype MaxRequestHead = 64 * 1024; // longer heads keep their fields, the library sees them
constexpr std::chrono::milliseconds StopCheck{100};

void addressOf(const sockaddr_storage &address, socklen_t length, std::string &ip, int &port)
{
    char host[NI_MAXHOST] = {};
    char service[NI_MAXSERV] = {};
    if (::getnameinfo(reinterpret_cast<const sockaddr *>(&address), length, host, sizeof host, service, sizeof service,
                      NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return;
    ip = host;
    if (ip.starts_with("::ffff:") && ip.find('.') != std::string::npos)
        ip.erase(0, 7); // an IPv4 peer on a dual-stack socket
    port = std::atoi(service);
}

} // namespace

RequestStream::RequestStream(int fd, std::chrono::milliseconds timeout, const std::atomic<bool> &stopping,
                             shared_port::TlsConnection *tls)
    : m_fd(fd)
    , m_timeout(timeout)
    , m_stopping(stopping)
    , m_tls(tls)
{
}

bool RequestStream::tlsPending() const
{
    return m_tls && m_tls->hasPending();
}

RequestStream::Wait RequestStream::waitFor(short events, std::chrono::milliseconds timeout) const
{
    // Wait in short slices so a stopping server is noticed.
    for (auto left = timeout; !m_stopping.load(); left -= StopCheck) {
        if (left <= std::chrono::milliseconds::zero())
            return Wait::TimedOut;
        pollfd entry{m_fd, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(std::min(left, StopCheck).count()));
        if (ready > 0)
            return Wait::Ready;
        if (ready < 0 && errno != EINTR)
            return Wait::Failed;
    }
    return Wait::Failed;
}

bool RequestStream::fill()
{
    if (m_offset > 0) {
        m_buffer.remove(0, m_offset);
        m_offset = 0;
    }
    const qsizetype had = m_buffer.size();
    for (;;) {
        if (!tlsPending() && waitFor(POLLIN, m_timeout) != Wait::Ready)
            return false;
        m_buffer.resize(had + ReadChunk);
        // A TLS record in pieces is waited for on the socket's own timeout.
        const ssize_t got = m_tls ? m_tls->read(m_buffer.data() + had, static_cast<size_t>(ReadChunk))
                                  : ::recv(m_fd, m_buffer.data() + had, static_cast<size_t>(ReadChunk), MSG_DONTWAIT);
        m_buffer.resize(had + std::max<qsizetype>(got, 0));
        if (got > 0)
            return true;
        if (got == 0) {
            m_peerClosed = true;
            return false;
        }
        if (m_tls || (errno != EINTR && errno != EAGAIN))
            return false;
    }
}

void RequestStream::readRequestHead()
{
    m_atRequestStart = false;
    m_range.reset();
    m_ifRange.reset();
    qsizetype end = -1;
    while ((end = m_buffer.indexOf('\n', m_offset)) < 0) {
        if (m_buffer.size() - m_offset > MaxRequestLine || !fill())
            return; // let the parser see what there is
    }
    const QByteArray line = m_buffer.mid(m_offset, end + 1 - m_offset);
    const QByteArray repaired = repairRequestLine(line);
    if (repaired != line)
        m_buffer.replace(m_offset, line.size(), repaired);
    if (!line.endsWith("\r\n"))
        return; // the parser refuses it at once, without waiting for a head

    // The head ends with the first empty line, which may be the one after the request line.
    while ((end = m_buffer.indexOf("\n\r\n", m_offset)) < 0) {
        if (m_buffer.size() - m_offset > MaxRequestHead || !fill())
            return;
    }
    const QByteArray head = m_buffer.mid(m_offset, end + 3 - m_offset);
    TakenField range = takeField(head, "Range");
    TakenField ifRange = takeField(range.head, "If-Range");
    m_range = std::move(range.value);
    m_ifRange = std::move(ifRange.value);
    if (ifRange.head.size() != head.size())
        m_buffer.replace(m_offset, head.size(), ifRange.head);
}

bool RequestStream::waitForRequest(std::chrono::milliseconds idle)
{
    if (m_offset == m_buffer.size()) {
        if ((!tlsPending() && waitFor(POLLIN, idle) != Wait::Ready) || !fill())
            return false;
    }
    m_atRequestStart = true;
    return true;
}

bool RequestStream::is_readable() const
{
    return m_offset < m_buffer.size() || tlsPending() || waitFor(POLLIN, m_timeout) == Wait::Ready;
}

bool RequestStream::is_writable() const
{
    return waitFor(POLLOUT, m_timeout) == Wait::Ready;
}

ssize_t RequestStream::read(char *ptr, size_t size)
{
    if (m_atRequestStart)
        readRequestHead();
    if (m_offset == m_buffer.size() && !fill())
        return m_peerClosed ? 0 : -1;
    const qsizetype count = std::min<qsizetype>(static_cast<qsizetype>(size), m_buffer.size() - m_offset);
    std::copy_n(m_buffer.constData() + m_offset, count, ptr);
    m_offset += count;
    return count;
}

ssize_t RequestStream::write(const char *ptr, size_t size)
{
    if (m_tls)
        return waitFor(POLLOUT, m_timeout) == Wait::Ready ? m_tls->write(ptr, size) : -1;
    size_t written = 0;
    while (written < size) {
        if (waitFor(POLLOUT, m_timeout) != Wait::Ready)
            return -1;
        const ssize_t sent = ::send(m_fd, ptr + written, size - written, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && errno != EINTR && errno != EAGAIN)
            return -1;
        if (sent > 0)
            written += static_cast<size_t>(sent);
    }
    return static_cast<ssize_t>(written);
}

void RequestStream::get_remote_ip_and_port(std::string &ip, int &port) const
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(m_fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        addressOf(address, length, ip, port);
}

void RequestStream::get_local_ip_and_port(std::string &ip, int &port) const
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        addressOf(address, length, ip, port);
}

::socket_t RequestStream::socket() const
{
    return m_fd;
}

} // namespace quibo::web
