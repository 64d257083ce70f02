#include "directory/DirectoryClient.h"

#include "base/Config.h"
#include "base/Limits.h"
#include "base/Timings.h"
#include "base/Utf8.h"
#include "base/Wakeup.h"

#include "directory/DirectoryConnections.h"

#include <QHostAddress>
#include <QUrl>

namespace quibo {

namespace directory_target {

namespace {
QByteArray encoded(const QString &value)
{
    return QUrl::toPercentEncoding(value);
}

QByteArray query(QByteArray path, std::initializer_list<std::pair<const char *, QString>> pairs)
{
    char separator = '?';
    for (const auto &[key, value] : pairs) {
        path += separator;
        path += key;
        path += '=';
        path += encoded(value);
        separator = '&';
    }
    return path;
}
} // namespace

QByteArray broadcast()
{
    return QByteArrayLiteral("/ipadd/sysmsg.dat");
}

QByteArray password(const QString &handle)
{
    return query(QByteArrayLiteral("/ipinfo/readit.cgi"), {{"id", handle}});
}

QByteArray publishAddress(const QString &handle, const QString &address)
{
    return query(QByteArrayLiteral("/ipadd/writeip.cgi"), {{"id", handle}, {"ip", address}});
}

QByteArray address(const QString &handle)
{
    return query(QByteArrayLiteral("/ipadd/readit.cgi"), {{"id", handle}});
}

QByteArray addressPage(const QString &handle)
{
    return QByteArrayLiteral("/ipadd/") + encoded(handle);
}

QByteArray infoPage(const QString &handle)
{
    return QByteArrayLiteral("/ipinfo/") + encoded(handle);
}

QByteArray registerUser(const QString &handle, const UserInfoFields &f)
{
    return query(QByteArrayLiteral("/ipinfo/register.cgi"), {{"id", handle},
                                                             {"password", f[0]},
                                                             {"first", f[1]},
                                                             {"last", f[2]},
                                                             {"email", f[3]},
                                                             {"city", f[4]},
                                                             {"state", f[5]},
                                                             {"country", f[6]},
                                                             {"sex", f[7]},
                                                             {"age", f[8]},
                                                             {"persinfo", f[9]}});
}

} // namespace directory_target

DirectoryClient::DirectoryClient(const Config &config, const Timings &timings, QObject *parent)
    : QObject(parent), m_config(config), m_timings(timings),
      m_connections(new DirectoryConnections(timings.httpTimeout, limits::AddressLookupsInFlight, this))
{
}

DirectoryClient::~DirectoryClient() = default;

namespace {

// The Host header as web clients write it: IPv6 literals in brackets, names in ACE form.
QByteArray hostHeader(const QUrl &url)
{
    const QString host = url.host();
    QHostAddress address;
    QByteArray header;
    if (address.setAddress(host))
        header = address.protocol() == QAbstractSocket::IPv6Protocol ? '[' + host.toLatin1() + ']' : host.toLatin1();
    else
        header = QUrl::toAce(host);
    if (url.port() != -1)
        header += ':' + QByteArray::number(url.port());
    return header;
}

} // namespace

DirectoryRequest *DirectoryClient::send(const QByteArray &target)
{
    QUrl origin;
    origin.setScheme(QStringLiteral("http"));
    origin.setHost(m_config.directoryHost);
    origin.setPort(m_config.directoryPort);
    const QUrl url = QUrl::fromEncoded(origin.toEncoded() + target, QUrl::StrictMode);
    if (m_config.directoryHost.isEmpty() || !url.isValid())
        return nullptr;

    const QByteArray path =
        url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment | QUrl::NormalizePathSegments);
    DirectoryRequest *request =
        m_connections->get(url.host(), quint16(url.port(80)), hostHeader(url), path.isEmpty() ? QByteArray("/") : path);
    Q_EMIT requestSent(target);
    return request;
}

DirectoryReply DirectoryClient::take(DirectoryRequest *request)
{
    // Whatever status the server answered with, its body is the reply: only a failure to
    // get an answer at all (refused, unknown host, time-out, cut off) is an internet error.
    DirectoryReply result{request->answered(), request->answered() ? request->body() : QByteArray()};
    request->deleteLater();
    return result;
}

QCoro::Task<DirectoryReply> DirectoryClient::get(QByteArray target)
{
    DirectoryRequest *request = send(target);
    if (request == nullptr)
        co_return DirectoryReply{};
    if (!request->isFinished())
        co_await nextSignal(request, &DirectoryRequest::finished);
    co_return take(request);
}

QCoro::Task<DirectoryReply> DirectoryClient::broadcast()
{
    return get(directory_target::broadcast());
}

QCoro::Task<DirectoryReply> DirectoryClient::password(QString handle)
{
    return get(directory_target::password(handle));
}

QCoro::Task<DirectoryReply> DirectoryClient::publishAddress(QString handle, QString address)
{
    return get(directory_target::publishAddress(handle, address));
}

QCoro::Task<DirectoryReply> DirectoryClient::address(QString handle)
{
    return get(directory_target::address(handle));
}

QCoro::Task<DirectoryReply> DirectoryClient::addressPage(QString handle)
{
    return get(directory_target::addressPage(handle));
}

QCoro::Task<DirectoryReply> DirectoryClient::infoPage(QString handle)
{
    return get(directory_target::infoPage(handle));
}

QCoro::Task<DirectoryReply> DirectoryClient::registerUser(QString handle, UserInfoFields fields)
{
    return get(directory_target::registerUser(handle, fields));
}

namespace reply_text {

namespace {

// Reads lines the way a fixed-buffer line reader does: at most `maxContent` bytes of a line
// at a time; the rest of a longer line comes back as the next line.
class LineReader {
public:
    explicit LineReader(QByteArrayView text) : m_rest(text) {}

    std::optional<QString> next(qsizetype maxContent)
    {
        if (m_rest.isEmpty())
            return std::nullopt;
        const qsizetype lf = m_rest.indexOf('\n');
        const qsizetype end = lf < 0 ? m_rest.size() : lf;
        qsizetype contentEnd = end;
        if (lf >= 0 && contentEnd > 0 && m_rest.at(contentEnd - 1) == '\r')
            --contentEnd;
        if (contentEnd <= maxContent) {
            const QByteArrayView line = m_rest.first(contentEnd);
            m_rest = m_rest.sliced(lf < 0 ? end : end + 1);
            return QString::fromUtf8(line);
        }
        qsizetype cut = utf8::trimPartialTail(m_rest.first(maxContent).toByteArray()).size();
        if (cut == 0)
            cut = std::min<qsizetype>(maxContent, contentEnd); // a stray byte must not stall the reader
        const QByteArrayView piece = m_rest.first(cut);
        m_rest = m_rest.sliced(cut);
        return QString::fromUtf8(piece);
    }

private:
    QByteArrayView m_rest;
};

} // namespace

QString firstLine(const QByteArray &body, int limit)
{
    return LineReader(body).next(std::max(1, limit) - 1).value_or(QString());
}

QStringList lines(const QByteArray &body, int maxContent, int count)
{
    QStringList result;
    LineReader reader(body);
    while (result.size() < count) {
        std::optional<QString> line = reader.next(std::max(1, maxContent));
        if (!line)
            break;
        result.append(*line);
    }
    return result;
}

QStringList broadcastLines(const QByteArray &body)
{
    if (body.startsWith('<'))
        return {};
    QStringList result = lines(body, limits::BroadcastLineBytes, limits::BroadcastLines);
    // An empty body, or one of blank lines, is no message: showing an empty box helps nobody.
    if (std::all_of(result.cbegin(), result.cend(),
                    [](const QString &line) { return line.trimmed().isEmpty(); }))
        return {};
    return result;
}

} // namespace reply_text

} // namespace quibo
