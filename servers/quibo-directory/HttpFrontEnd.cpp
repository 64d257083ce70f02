#include "HttpFrontEnd.h"

#include "WorkerPool.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <thread>

using namespace Qt::StringLiterals;

namespace quibo::directory {

namespace {

// httplib's own default also sets SO_REUSEPORT, which would let a second server share
// the port silently instead of reporting it in use.
void reuseAddressOnly(socket_t socket)
{
    int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
}

} // namespace

HttpFrontEnd::HttpFrontEnd(const DirectoryService &service, int threads, std::function<void()> workerEnds)
{
    m_server.new_task_queue = [threads, workerEnds = std::move(workerEnds)] {
        return new WorkerPool(threads, workerEnds);
    };
    // Without it every keep-alive reply waits for the delayed ACK.
    m_server.set_tcp_nodelay(true);
    m_server.set_socket_options([this](socket_t socket) {
        reuseAddressOnly(socket);
        m_listening = socket;
    });
    // An idle keep-alive connection holds a worker; let it go soon.
    m_server.set_keep_alive_timeout(2);
    m_server.set_keep_alive_max_count(1000);
    m_server.set_read_timeout(5, 0);
    m_server.set_write_timeout(5, 0);
    m_server.set_payload_max_length(64 * 1024);
    m_server.Get(".*", [&service](const httplib::Request &request, httplib::Response &response) {
        const Reply reply = service.handle(
            QByteArrayView(request.target.data(), static_cast<qsizetype>(request.target.size())));
        response.status = reply.status;
        response.set_content(reply.body.constData(), static_cast<size_t>(reply.body.size()),
                             reply.contentType.constData());
    });
}

std::variant<quint16, QString> HttpFrontEnd::bind(const QString &host, quint16 port)
{
    const std::string hostName = host.toStdString();
    std::optional<quint16> bound;
    if (port == 0) {
        if (const int chosen = m_server.bind_to_any_port(hostName); chosen > 0)
            bound = static_cast<quint16>(chosen);
    } else if (m_server.bind_to_port(hostName, port)) {
        bound = port;
    }
    if (!bound)
        return bindProblem(host, port);
    // httplib listens with a backlog of 5: a client opening several connections at once
    // would see some of them wait a second for a SYN retry. Listening again raises it.
    ::listen(m_listening, SOMAXCONN);
    return *bound;
}

bool HttpFrontEnd::run()
{
    const bool ok = m_stopRequested || m_server.listen_after_bind();
    m_finished = true;
    return ok;
}

void HttpFrontEnd::stop()
{
    m_stopRequested = true;
    // httplib ignores a stop until its accept loop runs, so a stop that comes early
    // (a signal right after start) waits for the loop, or for run() to give up.
    while (!m_finished) {
        if (m_server.is_running()) {
            m_server.stop();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

QString bindProblem(const QString &host, quint16 port)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo *found = nullptr;
    const std::string service = std::to_string(port);
    if (const int rc = getaddrinfo(host.toStdString().c_str(), service.c_str(), &hints, &found); rc != 0)
        return u"cannot find the address \"%1\": %2"_s.arg(host, QString::fromLocal8Bit(gai_strerror(rc)));

    int error = 0;
    for (addrinfo *ai = found; ai; ai = ai->ai_next) {
        const int fd = socket(ai->ai_family, ai->ai_socktype, ai->ai_protocol);
        if (fd < 0) {
            error = errno;
            continue;
        }
        reuseAddressOnly(fd);
        const bool bound = ::bind(fd, ai->ai_addr, ai->ai_addrlen) == 0 && listen(fd, 1) == 0;
        error = bound ? 0 : errno;
        ::close(fd);
        if (bound)
            break;
    }
    freeaddrinfo(found);

    const QString where = u"%1:%2"_s.arg(host).arg(port);
    switch (error) {
    case EADDRINUSE:
        return u"cannot listen on %1: the port is already in use"_s.arg(where);
    case EACCES:
        return u"cannot listen on %1: ports below 1024 need root or the CAP_NET_BIND_SERVICE capability"_s
            .arg(where);
    case EADDRNOTAVAIL:
        return u"cannot listen on %1: this machine has no such address"_s.arg(where);
    case 0:
        return u"cannot listen on %1"_s.arg(where);
    default:
        return u"cannot listen on %1: %2"_s.arg(where, QString::fromLocal8Bit(std::strerror(error)));
    }
}

} // namespace quibo::directory
