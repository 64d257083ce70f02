#include "WebServer.h"

#include "FileLookup.h"
#include "RequestStream.h"
#include "RequestTarget.h"

#include <QFile>

#include <array>
#include <memory>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quibo::web {

namespace {

constexpr size_t WorkerThreads = 8;
constexpr qint64 StreamChunk = 64 * 1024;
constexpr time_t TimeoutSeconds = 5;

bool isGetOrHead(const std::string &method)
{
    return method == "GET" || method == "HEAD";
}

const char *reasonPhrase(int status)
{
    switch (status) {
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 414: return "URI Too Long";
    case 416: return "Range Not Satisfiable";
    default: return "Error";
    }
}

std::string errorPage(int status)
{
    const std::string title = std::to_string(status) + ' ' + reasonPhrase(status);
    return "<html><head><title>" + title + "</title></head><body><h1>" + title + "</h1></body></html>\n";
}

} // namespace

WebServer::WebServer(QString root, Observer observer)
    : m_root(std::move(root))
    , m_observer(std::move(observer))
{
    new_task_queue = [] { return new httplib::ThreadPool(WorkerThreads); };
    // The accept loop polls, so that stopAndWait() ends it without closing a socket under it.
    set_idle_interval(0, 100'000);
    set_tcp_nodelay(true);
    set_read_timeout(TimeoutSeconds);
    set_write_timeout(TimeoutSeconds);
    set_pre_routing_handler([this](const httplib::Request &request, httplib::Response &response) {
        return serve(request, response);
    });
    set_error_handler(HandlerWithResponse([](const httplib::Request &, httplib::Response &response) {
        response.set_content(errorPage(response.status), "text/html");
        return HandlerResponse::Handled;
    }));
    set_logger([this](const httplib::Request &request, const httplib::Response &response) {
        report(request, response);
    });
}

WebServer::~WebServer()
{
    stopAndWait();
}

void WebServer::start(int listeningFd)
{
    m_listeningFd = listeningFd;
    svr_sock_ = listeningFd;
    m_thread = std::thread([this] { listen_after_bind(); });
}

void WebServer::stopAndWait()
{
    m_stopping = true;
    svr_sock_ = INVALID_SOCKET;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listeningFd >= 0) {
        ::close(m_listeningFd);
        m_listeningFd = -1;
    }
}

bool WebServer::process_and_close_socket(::socket_t sock)
{
    const int on = 1;
    ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    {
        RequestStream stream(sock, std::chrono::seconds(read_timeout_sec_), m_stopping);
        for (size_t left = keep_alive_max_count_; left > 0; --left) {
            if (!stream.waitForRequest(std::chrono::seconds(keep_alive_timeout_sec_)))
                break;
            bool closed = false;
            bool parsed = false;
            bool refused = false;
            const bool ok = process_request(stream, left == 1, closed, [&parsed, &refused](httplib::Request &request) {
                parsed = true;
                // A refused request may carry a body we do not read: end the connection after it.
                refused = !isGetOrHead(request.method);
                // The library closes after an HTTP/1.0 request too, but would announce keep-alive.
                const bool oneShot = request.version == "HTTP/1.0" && request.get_header_value("Connection") != "Keep-Alive";
                if (refused || oneShot) {
                    request.headers.erase("Connection");
                    request.set_header("Connection", "close");
                }
            });
            // After an unreadable request the stream's position is unknown: end the connection.
            if (!ok || closed || !parsed || refused)
                break;
        }
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return true;
}

httplib::Server::HandlerResponse WebServer::serve(const httplib::Request &request, httplib::Response &response) const
{
    if (!isGetOrHead(request.method)) {
        response.status = 405;
        response.set_header("Allow", "GET, HEAD");
        return HandlerResponse::Handled;
    }
    const TargetPath target = parseRequestTarget(QByteArray::fromStdString(request.target));
    if (target.status != 200) {
        response.status = target.status;
        return HandlerResponse::Handled;
    }
    const FoundFile found = lookUpFile(m_root, target.segments);
    if (found.status != 200) {
        response.status = found.status;
        return HandlerResponse::Handled;
    }
    auto file = std::make_shared<QFile>(found.path);
    if (!file->open(QIODevice::ReadOnly)) {
        response.status = 403;
        return HandlerResponse::Handled;
    }
    // The status stays unset: the library answers 200, or 206 for a range.
    response.set_content_provider(
        static_cast<size_t>(found.size), contentTypeFor(found.path).toStdString(),
        [file, this](size_t offset, size_t length, httplib::DataSink &sink) {
            if (m_stopping)
                return false;
            const auto at = static_cast<qint64>(offset);
            if (file->pos() != at && !file->seek(at))
                return false;
            std::array<char, StreamChunk> chunk{};
            const qint64 got = file->read(chunk.data(), std::min(static_cast<qint64>(length), StreamChunk));
            // A file that shrank under us ends the connection rather than sending short data.
            return got > 0 && sink.write(chunk.data(), static_cast<size_t>(got));
        });
    return HandlerResponse::Handled;
}

void WebServer::report(const httplib::Request &request, const httplib::Response &response) const
{
    if (!m_observer)
        return;
    const std::string &target = request.target;
    const QByteArray path = QByteArray::fromStdString(target.substr(0, target.find('?')));
    // UTC here: converting to local time reads the time zone, which only the window's thread does.
    m_observer(ServedRequest{QDateTime::currentDateTimeUtc(), QString::fromStdString(request.remote_addr),
                             QString::fromStdString(request.method),
                             QString::fromUtf8(QByteArray::fromPercentEncoding(path)), response.status});
}

} // namespace quibo::web
