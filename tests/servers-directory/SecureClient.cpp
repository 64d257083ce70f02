#include "SecureClient.h"

#include "WireFormat.h"

#include <httplib.h>

#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using quibo::directory::keyFingerprint;

SecureClient::SecureClient(quint16 port, bool withKey) : m_port(port)
{
    if (withKey)
        m_identity = quibo::directory::makeSelfSigned(QStringLiteral("test client"));
}

std::string SecureClient::fingerprint() const
{
    return m_identity ? keyFingerprint(m_identity->certificate.get()).toStdString() : std::string();
}

namespace {

Response responseOf(const httplib::Result &result)
{
    if (!result)
        return {};
    return {result->status, result->body, result->get_header_value("Content-Type"),
            result->get_header_value("Retry-After")};
}

// A new connection for each request, made with the key if there is one. The directory's
// certificate is self-signed: its key is checked where it matters, with serverKeyOn().
std::unique_ptr<httplib::SSLClient> connection(quint16 port, const std::optional<quibo::directory::TlsIdentity> &identity)
{
    auto client = std::make_unique<httplib::SSLClient>("127.0.0.1", port,
                                                       identity ? identity->certificate.get() : nullptr,
                                                       identity ? identity->key.get() : nullptr);
    client->enable_server_certificate_verification(false);
    client->set_read_timeout(std::chrono::seconds(10));
    return client;
}

} // namespace

Response SecureClient::get(const std::string &target) const
{
    return responseOf(connection(m_port, m_identity)->Get(target.c_str()));
}

Response SecureClient::post(const std::string &path, const Form &form) const
{
    std::string body;
    for (const auto &[key, value] : form)
        body += (body.empty() ? "" : "&") + key + "=" + encoded(value);
    return responseOf(connection(m_port, m_identity)->Post(path.c_str(), body, "application/x-www-form-urlencoded"));
}

Response SecureClient::registerAccount(const std::string &handle, const std::string &password, const Form &form) const
{
    Form all{{"id", handle}, {"password", password}, {"email", handle + "@example.org"}};
    for (const char *key : {"first", "last", "city", "state", "country", "sex", "age", "persinfo"})
        all[key] = "";
    for (const auto &[key, value] : form)
        all[key] = value;
    return post("/secure/register", all);
}

std::map<std::string, std::string> pairsOf(const Response &response)
{
    std::map<std::string, std::string> pairs;
    const auto parsed = quibo::directory::parseKeyValueText(QByteArray::fromStdString(response.body));
    for (const auto &[key, value] : parsed.value_or(QList<std::pair<QByteArray, QByteArray>>()))
        pairs[key.toStdString()] = value.toStdString();
    return pairs;
}

std::string serverKeyOn(quint16 port, int newestTls)
{
    SSL_CTX *context = SSL_CTX_new(TLS_client_method());
    if (newestTls)
        SSL_CTX_set_max_proto_version(context, newestTls);
    SSL *ssl = SSL_new(context);
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string fingerprint;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 &&
        SSL_set_fd(ssl, fd) == 1 && SSL_connect(ssl) == 1) {
        if (const X509 *certificate = SSL_get0_peer_certificate(ssl))
            fingerprint = keyFingerprint(certificate).toStdString();
    }
    SSL_free(ssl);
    SSL_CTX_free(context);
    ::close(fd);
    return fingerprint;
}
