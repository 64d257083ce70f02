#pragma once

#include <httplib.h>

#include <QByteArray>

#include <atomic>
#include <chrono>

namespace quibo::web {

// One accepted connection as the HTTP library's stream, with two additions: it repairs each
// request line (raw spaces in file names, see repairRequestLine) before the library parses it,
// and its waits end early when the server stops.
class RequestStream final : public httplib::Stream {
public:
    RequestStream(int fd, std::chrono::milliseconds timeout, const std::atomic<bool> &stopping);

    // Waits up to `idle` for the next request to begin; false when the peer closed, stayed idle
    // or the server stops. The request's first line is then repaired as it is read.
    bool waitForRequest(std::chrono::milliseconds idle);

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
    void readRequestLine();

    int m_fd;
    std::chrono::milliseconds m_timeout;
    const std::atomic<bool> &m_stopping;
    QByteArray m_buffer;
    qsizetype m_offset = 0;
    bool m_atRequestStart = false;
    bool m_peerClosed = false;
};

} // namespace quibo::web
