#include "WebServer.h"

#include "ByteRange.h"
#include "FileLookup.h"
#include "RequestStream.h"
#include "RequestTarget.h"

#include <QFile>

#include <array>
#include <chrono>
#include <memory>
#include <optional>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>
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

// A request field, several lines of it joined as one list; nullopt when absent.
std::optional<QByteArray> field(const httplib::Request &request, const char *name)
{
    const auto [begin, end] = request.headers.equal_range(name);
    if (begin == end)
        return std::nullopt;
    QByteArray value;
    for (auto it = begin; it != end; ++it)
        value += (it == begin ? "" : ", ") + QByteArray::fromStdString(it->second);
    return value;
}

void restoreField(httplib::Request &request, const char *name, const std::optional<QByteArray> &value)
{
    request.headers.erase(name);
    if (value)
        request.headers.emplace(name, value->toStdString());
}

FileVersion versionOf(const struct stat &info)
{
    constexpr qint64 NsPerSecond = 1'000'000'000;
    const qint64 now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    return describeFile({static_cast<quint64>(info.st_dev), static_cast<quint64>(info.st_ino),
                         static_cast<qint64>(info.st_size),
                         static_cast<qint64>(info.st_mtim.tv_sec) * NsPerSecond + info.st_mtim.tv_nsec},
                        now);
}

// Answers a GET or HEAD of an opened file: its conditions, then its range, streamed from disk.
void answerFile(const httplib::Request &request, httplib::Response &response, const std::shared_ptr<QFile> &file,
                const FileVersion &version, const std::atomic<bool> &stopping)
{
    response.set_header("Accept-Ranges", "bytes");
    response.set_header("ETag", version.etag.toStdString());
    response.set_header("Last-Modified", version.lastModified.toStdString());
    if (isNotModified(field(request, "If-None-Match"), field(request, "If-Modified-Since"), version)) {
        response.status = 304;
        // What a 200 would carry: left alone, the library would say 0.
        response.set_header("Content-Length", std::to_string(version.size));
        return;
    }
    const RangeChoice range = chooseRange(field(request, "Range"), field(request, "If-Range"), version);
    if (range.kind != RangeChoice::Kind::Whole)
        response.set_header("Content-Range", contentRange(range, version.size).toStdString());
    if (range.kind == RangeChoice::Kind::Unsatisfiable) {
        response.status = 416;
        return;
    }
    const bool part = range.kind == RangeChoice::Kind::Part;
    response.status = part ? 206 : 200;
    const qint64 first = part ? range.first : 0;
    response.set_content_provider(
        static_cast<size_t>(part ? range.length : version.size), contentTypeFor(file->fileName()).toStdString(),
        [file, first, &stopping](size_t offset, size_t length, httplib::DataSink &sink) {
            if (stopping)
                return false;
            const qint64 at = first + static_cast<qint64>(offset);
            if (file->pos() != at && !file->seek(at))
                return false;
            std::array<char, StreamChunk> chunk{};
            const qint64 got = file->read(chunk.data(), std::min(static_cast<qint64>(length), StreamChunk));
            // A file that shrank under us ends the connection rather than sending short data.
            return got > 0 && sink.write(chunk.data(), static_cast<size_t>(got));
        });
}

} // namespace

WebServer::WebServer(QString root, Observer observer, shared_port::TlsContext tls)
    : m_root(std::move(root))
    , m_observer(std::move(observer))
    , m_tls(std::move(tls))
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
    const std::chrono::seconds timeout(read_timeout_sec_);
    std::unique_ptr<shared_port::TlsConnection> tls;
    if (m_tls) {
        const auto opening = shared_port::awaitOpening(sock, std::chrono::seconds(keep_alive_timeout_sec_),
                                                       [this] { return m_stopping.load(); });
        if (opening == shared_port::Opening::Tls)
            tls = shared_port::TlsConnection::accept(m_tls.get(), sock, timeout, timeout);
        if (opening == shared_port::Opening::Nothing || (opening == shared_port::Opening::Tls && !tls)) {
            ::close(sock);
            return true;
        }
    }
    {
        RequestStream stream(sock, timeout, m_stopping, tls.get());
        for (size_t left = keep_alive_max_count_; left > 0; --left) {
            if (!stream.waitForRequest(std::chrono::seconds(keep_alive_timeout_sec_)))
                break;
            bool closed = false;
            bool parsed = false;
            bool refused = false;
            const bool ok = process_request(stream, left == 1, closed, [&](httplib::Request &request) {
                parsed = true;
                // The library never saw the Range fields (see RequestStream): serve() reads ours.
                request.ranges.clear();
                restoreField(request, "Range", stream.range());
                restoreField(request, "If-Range", stream.ifRange());
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
    tls.reset(); // its close goes out before the socket's
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
    // The validators describe the file opened, so they never name content other than what is sent.
    struct stat info {};
    if (!file->open(QIODevice::ReadOnly) || ::fstat(file->handle(), &info) != 0) {
        response.status = 403;
        return HandlerResponse::Handled;
    }
    if (!S_ISREG(info.st_mode)) {
        response.status = 404; // replaced since the look-up
        return HandlerResponse::Handled;
    }
    answerFile(request, response, file, versionOf(info), m_stopping);
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
