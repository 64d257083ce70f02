#include "directory/DirectoryClient.h"

#include "base/AtomicFile.h"
#include "base/Config.h"
#include "base/KeyValueText.h"
#include "base/Limits.h"
#include "base/Timings.h"
#include "base/Utf8.h"
#include "base/Wakeup.h"
#include "base/WorkingDirectory.h"
#include "directory/DirectoryConnections.h"
#include "directory/WorkingFiles.h"
#include "keys/KeyMaking.h"
#include "keys/KnownKeys.h"
#include "keys/UserKey.h"

#include <QHostAddress>
#include <QLocale>
#include <QPointer>
#include <QSslSocket>
#include <QUrl>

namespace quibo {

namespace directory_target {

namespace {
QByteArray encoded(const QString &value)
{
    return QUrl::toPercentEncoding(value);
}

// "key=value&key=value", each value percent-encoded: a query, or a form body.
QByteArray form(std::initializer_list<std::pair<const char *, QString>> pairs)
{
    QByteArray text;
    for (const auto &[key, value] : pairs) {
        if (!text.isEmpty())
            text += '&';
        text += key;
        text += '=';
        text += encoded(value);
    }
    return text;
}

QByteArray query(const QByteArray &path, std::initializer_list<std::pair<const char *, QString>> pairs)
{
    return path + '?' + form(pairs);
}

// The record's keys in field order, the password first.
constexpr std::array<const char *, 10> fieldKeys{"password", "first",   "last", "email", "city",
                                                 "state",    "country", "sex",  "age",   "persinfo"};

// "id=" and the record's fields from `first` on.
QByteArray recordForm(const QString &handle, const UserInfoFields &f, size_t first)
{
    QByteArray text = form({{"id", handle}});
    for (size_t i = first; i < fieldKeys.size(); ++i)
        text += '&' + QByteArray(fieldKeys[i]) + '=' + encoded(f[i]);
    return text;
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

QByteArray registerUser(const QString &handle, const UserInfoFields &fields)
{
    return "/ipinfo/register.cgi?" + recordForm(handle, fields, 0);
}

QByteArray secureHello()
{
    return QByteArrayLiteral("/secure/hello");
}

QByteArray secureLookup(const QString &handle)
{
    return query(QByteArrayLiteral("/secure/lookup"), {{"id", handle}});
}

QByteArray registerForm(const QString &handle, const UserInfoFields &fields)
{
    return recordForm(handle, fields, 0);
}

QByteArray publishForm(const QString &handle, const QString &address, const QString &address6, const QString &ports)
{
    QByteArray text = form({{"id", handle}, {"ip", address}});
    if (!address6.isEmpty())
        text += '&' + form({{"ip6", address6}});
    if (!ports.isEmpty())
        text += '&' + form({{"ports", ports}});
    return text;
}

QByteArray infoForm(const QString &handle, const UserInfoFields &fields)
{
    return recordForm(handle, fields, 1);
}

QByteArray keyForm(const QString &handle, const QString &password)
{
    return form({{"id", handle}, {"password", password}});
}

} // namespace directory_target

namespace secure_reply {

namespace {
std::optional<QMap<QByteArray, QByteArray>> pairs(const QByteArray &body)
{
    const auto parsed = parseKeyValueText(body);
    if (!parsed)
        return std::nullopt;
    QMap<QByteArray, QByteArray> map;
    for (const auto &[key, value] : *parsed)
        map.insert(key, value);
    return map;
}
} // namespace

bool isHello(const QByteArray &body)
{
    const auto values = pairs(body);
    return values && values->value("service") == "quibo-directory";
}

QString observed(const QByteArray &body)
{
    const auto values = pairs(body);
    return values ? QString::fromUtf8(values->value("observed")) : QString();
}

std::optional<Lookup> lookup(const QByteArray &body)
{
    const auto values = pairs(body);
    if (!values || !values->contains("address"))
        return std::nullopt;
    const QByteArray secure = values->value("secure");
    const QByteArray fingerprint = values->value("fingerprint");
    if (secure == "1" ? !keys::isKeyFingerprint(fingerprint) : secure != "0" || !fingerprint.isEmpty())
        return std::nullopt;
    return Lookup{QString::fromUtf8(values->value("address")), secure == "1", fingerprint};
}

} // namespace secure_reply

LookupAnswer readLookup(const DirectoryReply &reply, DirectoryLink link, int limit)
{
    LookupAnswer answer;
    if (!reply.ok)
        return answer;
    if (link != DirectoryLink::Secure) {
        // The directory's error page: no such handle.
        answer.kind = reply.body.startsWith('<') ? LookupAnswer::Kind::Unknown : LookupAnswer::Kind::Found;
        if (answer.kind == LookupAnswer::Kind::Found)
            answer.address = reply_text::firstLine(reply.body, limit);
        return answer;
    }
    if (reply.status == 404) {
        answer.kind = LookupAnswer::Kind::Unknown;
        return answer;
    }
    const std::optional<secure_reply::Lookup> found =
        reply.status == 200 ? secure_reply::lookup(reply.body) : std::nullopt;
    if (!found)
        return answer;
    answer.kind = LookupAnswer::Kind::Found;
    answer.address = reply_text::firstLine(found->address.toUtf8(), limit);
    answer.secure = found->secure;
    answer.fingerprint = found->fingerprint;
    return answer;
}

DirectoryClient::DirectoryClient(const Config &config, const Timings &timings, const WorkingDirectory &dir,
                                 QObject *parent)
    : QObject(parent), m_config(config), m_dir(dir),
      m_acceptLanguage(http_wire::acceptLanguage(QLocale::system().name().toLatin1())),
      m_connections(new DirectoryConnections(timings.httpTimeout, timings.tlsHandshake,
                                             limits::AddressLookupsInFlight, this))
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

// However the settling task ends, the next one may settle, and the ones waiting go on; unless
// the client itself is going.
struct Settling {
    QPointer<DirectoryClient> client;
    bool &flag;
    ~Settling()
    {
        if (!client)
            return;
        flag = false;
        Q_EMIT client->linkSettled();
    }
};

} // namespace

QCoro::Task<LinkProblem> DirectoryClient::settleLink()
{
    while (m_settling)
        co_await nextSignal(this, &DirectoryClient::linkSettled);
    if (m_link != DirectoryLink::Unknown)
        co_return LinkProblem::None;
    m_settling = true;
    const Settling settling{this, m_settling};
    co_return co_await probe();
}

QCoro::Task<LinkProblem> DirectoryClient::probe()
{
    if (!m_tlsReady) {
        const std::optional<UserKey> key = loadOrMakeUserKey(m_dir.file(working_files::UserKeyFile),
                                                             m_dir.file(working_files::UserCertificateFile));
        if (!key)
            co_return LinkProblem::NoKey;
        // Without a pin, an https:// directory is judged by the system's authorities and its name.
        const bool byAuthorities = m_config.directoryHttps && m_config.directoryPin.isEmpty();
        const QSslConfiguration tls =
            tlsPresenting(*key, byAuthorities ? QSslSocket::VerifyPeer : QSslSocket::VerifyNone);
        m_connections->setTls({tls, [this](const QByteArray &serverKey) { return acceptKey(serverKey); }});
        m_tlsReady = true;
    }
    m_pinned = m_config.directoryPin;
    if (m_pinned.isEmpty() && !m_config.directoryHttps)
        m_pinned =
            known_keys::parse(readWorkingFile(m_dir, working_files::DirectoryPins).value_or(QByteArray()))
                .value(pinName());
    const bool tlsOnly = m_config.directoryHttps || !m_pinned.isEmpty();

    m_probing = m_pinned.isEmpty();
    DirectoryRequest *request = start(true, directory_target::secureHello());
    if (request == nullptr)
        co_return LinkProblem::Unreachable;
    if (!request->isFinished())
        co_await nextSignal(request, &DirectoryRequest::finished);
    m_probing = false;
    const RequestFailure failure = request->failure();
    const QByteArray serverKey = request->serverKey();
    const DirectoryReply hello = take(request);
    if (hello.ok && hello.status == 200 && secure_reply::isHello(hello.body)) {
        if (m_pinned.isEmpty() && !m_config.directoryHttps)
            pin(serverKey);
        m_observed = secure_reply::observed(hello.body);
        m_link = DirectoryLink::Secure;
        co_return LinkProblem::None;
    }
    if (hello.ok && tlsOnly)
        co_return LinkProblem::NotSecure;
    switch (failure) {
    case RequestFailure::ServerKey:
        co_return LinkProblem::KeyMismatch;
    case RequestFailure::Untrusted:
        co_return LinkProblem::NotTrusted;
    case RequestFailure::Network:
        co_return LinkProblem::Unreachable;
    case RequestFailure::NoTlsAnswer:
    case RequestFailure::NotTls:
        if (tlsOnly)
            co_return failure == RequestFailure::NotTls ? LinkProblem::NotSecure : LinkProblem::Unreachable;
        break;
    case RequestFailure::None:
        break;
    }
    // Never seen secure: the classic directory as always, once it answers plain HTTP. One
    // whose secure requests want TLS has a TLS this client cannot use.
    const DirectoryReply plain = co_await await(start(false, directory_target::secureHello()));
    if (!plain.ok)
        co_return LinkProblem::Unreachable;
    if (plain.status == 403)
        co_return LinkProblem::NotSecure;
    m_link = DirectoryLink::Classic;
    m_classicNotice = true;
    co_return LinkProblem::None;
}

bool DirectoryClient::takeClassicNotice()
{
    return std::exchange(m_classicNotice, false);
}

bool DirectoryClient::acceptKey(const QByteArray &serverKey) const
{
    if (!m_pinned.isEmpty())
        return serverKey == m_pinned;
    // A first use, or an https:// directory the authorities have vouched for.
    return m_probing || m_config.directoryHttps;
}

QString DirectoryClient::pinName() const
{
    return QStringLiteral("%1:%2").arg(m_config.directoryHost).arg(m_config.directoryPort);
}

void DirectoryClient::pin(const QByteArray &serverKey)
{
    m_pinned = serverKey;
    const QString file = m_dir.file(working_files::DirectoryPins);
    QMap<QString, QByteArray> pins =
        known_keys::parse(readWorkingFile(m_dir, working_files::DirectoryPins).value_or(QByteArray()));
    pins.insert(pinName(), serverKey);
    if (!writeFileAtomically(file, known_keys::format(pins), OwnerOnly))
        qWarning("quibo32: cannot write %s; the directory's key is trusted for this run only",
                 qUtf8Printable(file));
}

DirectoryRequest *DirectoryClient::start(bool tls, const QByteArray &target, const QByteArray &form)
{
    QUrl origin;
    origin.setScheme(QStringLiteral("http"));
    origin.setHost(m_config.directoryHost);
    origin.setPort(m_config.directoryPort);
    const QUrl url = QUrl::fromEncoded(origin.toEncoded() + target, QUrl::StrictMode);
    if (m_config.directoryHost.isEmpty() || !url.isValid())
        return nullptr;

    QByteArray path = url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment |
                                    QUrl::NormalizePathSegments);
    if (path.isEmpty())
        path = "/";
    const QByteArray host = hostHeader(url);
    QByteArray bytes = form.isNull() ? http_wire::getRequest(host, path, m_acceptLanguage)
                                     : http_wire::postRequest(host, path, form, m_acceptLanguage);
    DirectoryRequest *request =
        m_connections->send({m_config.directoryHost, m_config.directoryPort, tls}, std::move(bytes));
    Q_EMIT requestSent(target);
    return request;
}

DirectoryRequest *DirectoryClient::send(const QByteArray &target)
{
    if (m_link == DirectoryLink::Unknown)
        return nullptr;
    return start(isSecure(), target);
}

DirectoryReply DirectoryClient::take(DirectoryRequest *request)
{
    // Whatever status the server answered with, its body is the reply: only a failure to
    // get an answer at all (refused, unknown host, time-out, cut off) is an internet error.
    DirectoryReply result{request->answered(), request->answered() ? request->body() : QByteArray(),
                          request->status(), request->retryAfter()};
    request->deleteLater();
    return result;
}

QCoro::Task<DirectoryReply> DirectoryClient::await(DirectoryRequest *request)
{
    if (request == nullptr)
        co_return DirectoryReply{};
    const FrameOwned<DirectoryRequest> held(request); // a cancelled task cancels its request
    if (!request->isFinished())
        co_await nextSignal(request, &DirectoryRequest::finished);
    co_return take(request);
}

QCoro::Task<DirectoryReply> DirectoryClient::get(QByteArray target)
{
    if (m_link == DirectoryLink::Unknown)
        co_await settleLink();
    co_return co_await await(send(target));
}

QCoro::Task<DirectoryReply> DirectoryClient::post(QByteArray path, QByteArray form)
{
    if (!isSecure())
        co_return DirectoryReply{};
    co_return co_await await(start(true, path, form));
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

QCoro::Task<DirectoryReply> DirectoryClient::registerAccount(QString handle, UserInfoFields fields)
{
    return byLink(QByteArrayLiteral("/secure/register"), directory_target::registerForm(handle, fields),
                  directory_target::registerUser(handle, fields));
}

QCoro::Task<DirectoryReply> DirectoryClient::publish(QString handle, QString address, QString address6,
                                                     QString ports)
{
    return byLink(QByteArrayLiteral("/secure/publish"), directory_target::publishForm(handle, address, address6, ports),
                  directory_target::publishAddress(handle, address));
}

QCoro::Task<DirectoryReply> DirectoryClient::changeInfo(QString handle, UserInfoFields fields)
{
    return byLink(QByteArrayLiteral("/secure/info"), directory_target::infoForm(handle, fields),
                  directory_target::registerUser(handle, fields));
}

// Settled first, so that a password never goes out classic to a directory that is secure.
QCoro::Task<DirectoryReply> DirectoryClient::byLink(QByteArray securePath, QByteArray form,
                                                    QByteArray classicTarget)
{
    if (m_link == DirectoryLink::Unknown)
        co_await settleLink();
    // Not one "?:": g++ 12 destroys a temporary of such an expression with co_await in it twice.
    if (isSecure())
        co_return co_await post(std::move(securePath), std::move(form));
    co_return co_await get(std::move(classicTarget));
}

QCoro::Task<DirectoryReply> DirectoryClient::proveKey(QString handle, QString password)
{
    return post(QByteArrayLiteral("/secure/key"), directory_target::keyForm(handle, password));
}

QCoro::Task<DirectoryReply> DirectoryClient::lookUpContact(QString handle)
{
    if (m_link == DirectoryLink::Unknown)
        co_await settleLink();
    QByteArray target = directory_target::addressPage(handle);
    if (isSecure())
        target = directory_target::secureLookup(handle);
    co_return co_await get(std::move(target));
}

DirectoryRequest *DirectoryClient::sendLookup(const QString &handle)
{
    return send(isSecure() ? directory_target::secureLookup(handle) : directory_target::address(handle));
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
