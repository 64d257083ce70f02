#include "SharedPortServer.h"

#include "SharedPort.h"

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

using std::chrono::milliseconds;
using shared_port::awaitBytes;

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
    bool awaitRequest(milliseconds keepAlive, const std::function<bool()> &stopping)
    {
        return hasBuffered() || awaitBytes(m_socket, keepAlive, stopping);
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
    TlsStream(shared_port::TlsConnection &tls, socket_t socket, milliseconds readTimeout, milliseconds writeTimeout)
        : ConnectionStream(socket, readTimeout, writeTimeout), m_tls(tls)
    {
    }

    bool is_readable() const override { return hasBuffered() || awaitReadable(); }

    ssize_t read(char *ptr, size_t size) override
    {
        if (!hasBuffered() && !awaitReadable())
            return -1;
        return m_tls.read(ptr, size);
    }

    ssize_t write(const char *ptr, size_t size) override
    {
        if (size == 0)
            return 0;
        if (!is_writable())
            return -1;
        return m_tls.write(ptr, size);
    }

private:
    bool hasBuffered() const override { return m_tls.hasPending(); }

    shared_port::TlsConnection &m_tls;
};

} // namespace

SharedPortServer::SharedPortServer(SSL_CTX *tls, Accepts accepts) : m_tls(tls), m_accepts(accepts)
{
}

bool SharedPortServer::process_and_close_socket(socket_t socket)
{
    bool served = false;
    const shared_port::Opening opening =
        shared_port::awaitOpening(socket, milliseconds(keep_alive_timeout_sec_ * 1000), stopping());
    if (opening != shared_port::Opening::Nothing) {
        const bool tls = opening == shared_port::Opening::Tls;
        if (tls && m_accepts == Accepts::PlainOnly) {
            static constexpr char refusal[] =
                "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
            // The hello is read first: closing on unread bytes would reset the connection
            // before the client reads the answer.
            std::array<char, 16 * 1024> hello{};
            ::recv(socket, hello.data(), hello.size(), MSG_DONTWAIT);
            ::send(socket, refusal, sizeof refusal - 1, MSG_NOSIGNAL);
        } else if (tls) {
            served = serveTls(socket);
        } else if (m_accepts != Accepts::TlsOnly) {
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
    const milliseconds readTimeout = toMilliseconds(read_timeout_sec_, read_timeout_usec_);
    const milliseconds writeTimeout = toMilliseconds(write_timeout_sec_, write_timeout_usec_);
    const auto tls = shared_port::TlsConnection::accept(m_tls, socket, readTimeout, writeTimeout);
    if (!tls)
        return false;
    TlsStream stream(*tls, socket, readTimeout, writeTimeout);
    SSL *session = tls->session();
    return serveRequests(stream, [session](httplib::Request &request) { request.ssl = session; });
}

std::function<bool()> SharedPortServer::stopping() const
{
    return [this] { return svr_sock_ == INVALID_SOCKET; };
}

bool SharedPortServer::serveRequests(ConnectionStream &stream, const std::function<void(httplib::Request &)> &setup)
{
    bool served = false;
    for (size_t left = keep_alive_max_count_;
         left > 0 && stream.awaitRequest(milliseconds(keep_alive_timeout_sec_ * 1000), stopping()); --left) {
        bool closed = false;
        served = process_request(stream, left == 1, closed, setup);
        if (!served || closed)
            break;
    }
    return served;
}

} // namespace quibo::directory
