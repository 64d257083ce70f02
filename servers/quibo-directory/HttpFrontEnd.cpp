#include "HttpFrontEnd.h"

#include "SharedPortServer.h"
#include "TlsIdentity.h"

#include <openssl/ssl.h>

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

// Hands httplib's jobs to the front end's one pool, which outlives every listener.
class SharedQueue final : public httplib::TaskQueue {
public:
    explicit SharedQueue(WorkerPool &pool) : m_pool(pool) {}
    void enqueue(std::function<void()> job) override { m_pool.enqueue(std::move(job)); }
    void shutdown() override {}

private:
    WorkerPool &m_pool;
};

// The connection's source, as clients know it: "::ffff:10.0.0.1" is 10.0.0.1.
QString sourceAddress(const std::string &remote)
{
    const QString address = QString::fromStdString(remote);
    return address.startsWith(u"::ffff:"_s) && address.contains(u'.') ? address.mid(7) : address;
}

Request requestOf(const httplib::Request &request)
{
    Request asked;
    asked.post = request.method == "POST";
    asked.target = QByteArrayView(request.target.data(), static_cast<qsizetype>(request.target.size()));
    asked.body = QByteArrayView(request.body.data(), static_cast<qsizetype>(request.body.size()));
    asked.overTls = request.ssl != nullptr;
    // Only the writes are authenticated, and all of them are POST requests.
    if (asked.post && request.ssl) {
        if (const X509 *certificate = SSL_get0_peer_certificate(request.ssl))
            asked.clientKey = keyFingerprint(certificate);
    }
    asked.source = sourceAddress(request.remote_addr);
    return asked;
}

} // namespace

struct HttpFrontEnd::Listener {
    Listener(SSL_CTX *tls, bool tlsOnly)
        : server(tls, tlsOnly ? SharedPortServer::Accepts::TlsOnly : SharedPortServer::Accepts::PlainAndTls)
    {
    }
    SharedPortServer server;
    socket_t listening = INVALID_SOCKET;
    std::atomic<bool> finished{false};
};

HttpFrontEnd::HttpFrontEnd(const DirectoryService &service, SSL_CTX *tls, int threads,
                           std::function<void()> workerEnds)
    : m_service(service), m_tls(tls), m_workers(threads, std::move(workerEnds))
{
}

HttpFrontEnd::~HttpFrontEnd()
{
    m_workers.shutdown();
}

std::variant<quint16, QString> HttpFrontEnd::bind(const QString &host, quint16 port)
{
    return bindListener(false, host, port);
}

std::variant<quint16, QString> HttpFrontEnd::bindTlsOnly(const QString &host, quint16 port)
{
    return bindListener(true, host, port);
}

std::variant<quint16, QString> HttpFrontEnd::bindListener(bool tlsOnly, const QString &host, quint16 port)
{
    auto listener = std::make_unique<Listener>(m_tls, tlsOnly);
    SharedPortServer &server = listener->server;
    server.new_task_queue = [this] { return new SharedQueue(m_workers); };
    // Without it every keep-alive reply waits for the delayed ACK.
    server.set_tcp_nodelay(true);
    server.set_socket_options([raw = listener.get()](socket_t socket) {
        reuseAddressOnly(socket);
        raw->listening = socket;
    });
    // An idle keep-alive connection holds a worker; let it go soon.
    server.set_keep_alive_timeout(2);
    server.set_keep_alive_max_count(1000);
    server.set_read_timeout(5, 0);
    server.set_write_timeout(5, 0);
    server.set_payload_max_length(64 * 1024);
    const auto serve = [this](const httplib::Request &request, httplib::Response &response) {
        const Reply reply = m_service.handle(requestOf(request));
        response.status = reply.status;
        if (reply.retryAfterSeconds > 0)
            response.set_header("Retry-After", std::to_string(reply.retryAfterSeconds));
        response.set_content(reply.body.constData(), static_cast<size_t>(reply.body.size()),
                             reply.contentType.constData());
    };
    server.Get(".*", serve);
    server.Post(".*", serve);

    const std::string hostName = host.toStdString();
    std::optional<quint16> bound;
    if (port == 0) {
        if (const int chosen = server.bind_to_any_port(hostName); chosen > 0)
            bound = static_cast<quint16>(chosen);
    } else if (server.bind_to_port(hostName, port)) {
        bound = port;
    }
    if (!bound)
        return bindProblem(host, port);
    // httplib listens with a backlog of 5: a client opening several connections at once
    // would see some of them wait a second for a SYN retry. Listening again raises it.
    ::listen(listener->listening, SOMAXCONN);
    m_listeners.push_back(std::move(listener));
    return *bound;
}

bool HttpFrontEnd::run()
{
    std::atomic<bool> ok{true};
    const auto serve = [this, &ok](Listener &listener) {
        if (!m_stopRequested && !listener.server.listen_after_bind())
            ok = false;
        listener.finished = true;
        // Serving ends on every port together.
        stop();
    };
    std::vector<std::thread> others;
    for (size_t i = 1; i < m_listeners.size(); ++i)
        others.emplace_back(serve, std::ref(*m_listeners[i]));
    if (!m_listeners.empty())
        serve(*m_listeners.front());
    for (std::thread &other : others)
        other.join();
    // The connections still open are answered before the workers end.
    m_workers.shutdown();
    return ok;
}

void HttpFrontEnd::stop()
{
    m_stopRequested = true;
    // httplib ignores a stop until its accept loop runs, so a stop that comes early
    // (a signal right after start) waits for the loop, or for the listener to give up.
    for (const auto &listener : m_listeners) {
        while (!listener->finished) {
            if (listener->server.is_running()) {
                listener->server.stop();
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
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
