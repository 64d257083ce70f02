#include "SharedPortServer.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <memory>
#include <optional>

namespace quibo::directory {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr unsigned char tlsHandshakeRecord = 0x16;
// How often an idle connection looks whether the server is stopping.
constexpr milliseconds stopCheck{50};

milliseconds toMilliseconds(time_t seconds, time_t microseconds)
{
    return milliseconds(seconds * 1000 + microseconds / 1000);
}

int pollFor(socket_t socket, short events, milliseconds timeout)
{
    pollfd entry{socket, events, 0};
    int result = 0;
    do {
        result = ::poll(&entry, 1, static_cast<int>(timeout.count()));
    } while (result < 0 && errno == EINTR);
    return result;
}

// Waits at most `timeout` for bytes (or the end) to arrive; false on time-out, on an error,
// or when `listening` shows the server stopping.
bool awaitBytes(socket_t socket, milliseconds timeout, const std::atomic<socket_t> &listening)
{
    const auto deadline = Clock::now() + timeout;
    while (listening != INVALID_SOCKET) {
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        const int ready = pollFor(socket, POLLIN, std::min(left, stopCheck));
        if (ready != 0)
            return ready > 0;
    }
    return false;
}

std::pair<std::string, int> addressOf(socket_t socket, bool remote)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    auto *raw = reinterpret_cast<sockaddr *>(&address);
    if ((remote ? ::getpeername(socket, raw, &length) : ::getsockname(socket, raw, &length)) != 0)
        return {{}, -1};
    std::array<char, NI_MAXHOST> host{};
    std::array<char, NI_MAXSERV> port{};
    if (::getnameinfo(raw, length, host.data(), host.size(), port.data(), port.size(),
                      NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return {{}, -1};
    return {host.data(), std::atoi(port.data())};
}

void setTimeout(socket_t socket, int option, milliseconds timeout)
{
    timeval value{static_cast<time_t>(timeout.count() / 1000), static_cast<suseconds_t>(timeout.count() % 1000 * 1000)};
    ::setsockopt(socket, SOL_SOCKET, option, &value, sizeof value);
}

struct SslFree {
    void operator()(SSL *ssl) const { SSL_free(ssl); }
};

} // namespace

// One accepted connection, as httplib reads and writes it.
class ConnectionStream : public httplib::Stream {
public:
    ConnectionStream(socket_t socket, milliseconds readTimeout, milliseconds writeTimeout)
        : m_socket(socket), m_readTimeout(readTimeout), m_writeTimeout(writeTimeout),
          m_remote(addressOf(socket, true)), m_local(addressOf(socket, false))
    {
    }

    // Whether a request begins within `keepAlive`.
    bool awaitRequest(milliseconds keepAlive, const std::atomic<socket_t> &listening)
    {
        return hasBuffered() || awaitBytes(m_socket, keepAlive, listening);
    }

    bool is_writable() const override { return pollFor(m_socket, POLLOUT, m_writeTimeout) > 0; }
    void get_remote_ip_and_port(std::string &ip, int &port) const override { std::tie(ip, port) = m_remote; }
    void get_local_ip_and_port(std::string &ip, int &port) const override { std::tie(ip, port) = m_local; }
    socket_t socket() const override { return m_socket; }

protected:
    virtual bool hasBuffered() const = 0;
    bool awaitReadable() const { return pollFor(m_socket, POLLIN, m_readTimeout) > 0; }

    socket_t m_socket;

private:
    milliseconds m_readTimeout;
    milliseconds m_writeTimeout;
    std::pair<std::string, int> m_remote;
    std::pair<std::string, int> m_local;
};

namespace {

// httplib reads a request line byte by byte: a buffer saves a system call for each.
class PlainStream final : public ConnectionStream {
public:
    using ConnectionStream::ConnectionStream;

    bool is_readable() const override { return hasBuffered() || awaitReadable(); }

    ssize_t read(char *ptr, size_t size) override
    {
        if (!hasBuffered()) {
            if (!awaitReadable())
                return -1;
            if (size >= m_buffer.size())
                return ::recv(m_socket, ptr, size, 0);
            const ssize_t got = ::recv(m_socket, m_buffer.data(), m_buffer.size(), 0);
            if (got <= 0)
                return got;
            m_begin = 0;
            m_end = static_cast<size_t>(got);
        }
        const size_t taken = std::min(size, m_end - m_begin);
        std::memcpy(ptr, m_buffer.data() + m_begin, taken);
        m_begin += taken;
        return static_cast<ssize_t>(taken);
    }

    ssize_t write(const char *ptr, size_t size) override
    {
        if (!is_writable())
            return -1;
        return ::send(m_socket, ptr, size, MSG_NOSIGNAL);
    }

private:
    bool hasBuffered() const override { return m_begin < m_end; }

    std::array<char, 4096> m_buffer{};
    size_t m_begin = 0;
    size_t m_end = 0;
};

class TlsStream final : public ConnectionStream {
public:
    TlsStream(SSL *ssl, socket_t socket, milliseconds readTimeout, milliseconds writeTimeout)
        : ConnectionStream(socket, readTimeout, writeTimeout), m_ssl(ssl)
    {
    }

    bool is_readable() const override { return hasBuffered() || awaitReadable(); }

    ssize_t read(char *ptr, size_t size) override
    {
        if (!hasBuffered() && !awaitReadable())
            return -1;
        const int got = SSL_read(m_ssl, ptr, static_cast<int>(std::min<size_t>(size, INT_MAX)));
        if (got > 0)
            return got;
        return SSL_get_error(m_ssl, got) == SSL_ERROR_ZERO_RETURN ? 0 : -1;
    }

    ssize_t write(const char *ptr, size_t size) override
    {
        if (size == 0)
            return 0;
        if (!is_writable())
            return -1;
        const int sent = SSL_write(m_ssl, ptr, static_cast<int>(std::min<size_t>(size, INT_MAX)));
        return sent > 0 ? sent : -1;
    }

private:
    bool hasBuffered() const override { return SSL_has_pending(m_ssl) == 1; }

    SSL *m_ssl;
};

} // namespace

SharedPortServer::SharedPortServer(SSL_CTX *tls, Accepts accepts) : m_tls(tls), m_accepts(accepts)
{
}

bool SharedPortServer::process_and_close_socket(socket_t socket)
{
    bool served = false;
    unsigned char first = 0;
    if (awaitBytes(socket, milliseconds(keep_alive_timeout_sec_ * 1000), svr_sock_) &&
        ::recv(socket, &first, 1, MSG_PEEK) == 1) {
        if (first == tlsHandshakeRecord) {
            served = serveTls(socket);
        } else if (m_accepts == Accepts::PlainAndTls) {
            PlainStream stream(socket, toMilliseconds(read_timeout_sec_, read_timeout_usec_),
                               toMilliseconds(write_timeout_sec_, write_timeout_usec_));
            served = serveRequests(stream, nullptr);
        }
    }
    ::shutdown(socket, SHUT_RDWR);
    ::close(socket);
    return served;
}

bool SharedPortServer::serveTls(socket_t socket)
{
    const std::unique_ptr<SSL, SslFree> ssl(SSL_new(m_tls));
    const milliseconds readTimeout = toMilliseconds(read_timeout_sec_, read_timeout_usec_);
    const milliseconds writeTimeout = toMilliseconds(write_timeout_sec_, write_timeout_usec_);
    // Bounds each wait of the handshake, and of a record arriving in pieces.
    setTimeout(socket, SO_RCVTIMEO, readTimeout);
    setTimeout(socket, SO_SNDTIMEO, writeTimeout);
    bool served = false;
    if (ssl && SSL_set_fd(ssl.get(), socket) == 1 && SSL_accept(ssl.get()) == 1) {
        TlsStream stream(ssl.get(), socket, readTimeout, writeTimeout);
        SSL *session = ssl.get();
        served = serveRequests(stream, [session](httplib::Request &request) { request.ssl = session; });
        SSL_shutdown(ssl.get());
    }
    // OpenSSL keeps failures in a queue of the thread's, which the next connection would find.
    ERR_clear_error();
    return served;
}

bool SharedPortServer::serveRequests(ConnectionStream &stream, const std::function<void(httplib::Request &)> &setup)
{
    bool served = false;
    for (size_t left = keep_alive_max_count_;
         left > 0 && stream.awaitRequest(milliseconds(keep_alive_timeout_sec_ * 1000), svr_sock_); --left) {
        bool closed = false;
        served = process_request(stream, left == 1, closed, setup);
        if (!served || closed)
            break;
    }
    return served;
}

} // namespace quibo::directory
