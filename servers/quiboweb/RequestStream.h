#pragma once

#include <httplib.h>

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <optional>

namespace quibo::shared_port {
class TlsConnection;
}

namespace quibo::web {

// One accepted connection as the HTTP library's stream, with three additions: it repairs each
// request line (raw spaces in file names, see repairRequestLine) before the library parses it,
// it takes the Range and If-Range fields out of the head for the server to handle (see
// takeField), and its waits end early when the server stops. Over TLS it reads and writes
// through `tls`, the same way.
class RequestStream final : public httplib::Stream {
public:
    RequestStream(int fd, std::chrono::milliseconds timeout, const std::atomic<bool> &stopping,
                  shared_port::TlsConnection *tls = nullptr);

    // Waits up to `idle` for the next request to begin; false when the peer closed, stayed idle
    // or the server stops. The request's head is then repaired as it is read.
    bool waitForRequest(std::chrono::milliseconds idle);

    // The fields taken out of the current request's head; nullopt when it had none, or when its
    // head was too long to look at.
    const std::optional<QByteArray> &range() const { return m_range; }
    const std::optional<QByteArray> &ifRange() const { return m_ifRange; }

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char *ptr, size_t size) override;
    ssize_t write(const char *ptr, size_t size) override;
    using httplib::Stream::write;
    void get_remote_ip_and_port(std::string &ip, int &port) const override;
    void get_local_ip_and_port(std::string &ip, int &port) const override;
    ::socket_t socket() const override;

private:
    enum class Wait { Ready, TimedOut, Failed };
    Wait waitFor(short events, std::chrono::milliseconds timeout) const;
    bool fill(); // appends what the socket has, waiting up to the timeout; false at end or error
    void readRequestHead();
    bool tlsPending() const;

    int m_fd;
    std::chrono::milliseconds m_timeout;
    const std::atomic<bool> &m_stopping;
    shared_port::TlsConnection *m_tls;
    QByteArray m_buffer;
    qsizetype m_offset = 0;
    bool m_atRequestStart = false;
    bool m_peerClosed = false;
    std::optional<QByteArray> m_range;
    std::optional<QByteArray> m_ifRange;
};

} // namespace quibo::web
