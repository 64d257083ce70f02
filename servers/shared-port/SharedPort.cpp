#include "SharedPort.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace quibo::shared_port {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr unsigned char TlsHandshakeRecord = 0x16;
// How often a wait looks whether the server is stopping.
constexpr milliseconds StopCheck{50};

int acceptAnyCertificate(int, X509_STORE_CTX *)
{
    return 1;
}

void setTimeout(int socket, int option, milliseconds timeout)
{
    timeval value{static_cast<time_t>(timeout.count() / 1000), static_cast<suseconds_t>(timeout.count() % 1000 * 1000)};
    ::setsockopt(socket, SOL_SOCKET, option, &value, sizeof value);
}

} // namespace

void SslContextFree::operator()(SSL_CTX *context) const
{
    SSL_CTX_free(context);
}

std::variant<TlsContext, QString> serverContext(const keys::KeyPair &identity, ClientCertificate client)
{
    TlsContext context(SSL_CTX_new(TLS_server_method()));
    if (!context)
        return keys::openSslError();
    SSL_CTX *ctx = context.get();
    const bool ok = SSL_CTX_set_min_proto_version(ctx, TLS1_3_VERSION) == 1 &&
                    SSL_CTX_set_max_proto_version(ctx, TLS1_3_VERSION) == 1 &&
                    SSL_CTX_use_certificate(ctx, identity.certificate.get()) == 1 &&
                    SSL_CTX_use_PrivateKey(ctx, identity.key.get()) == 1 && SSL_CTX_check_private_key(ctx) == 1;
    if (!ok)
        return keys::openSslError();
    if (client == ClientCertificate::Asked)
        SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, acceptAnyCertificate);
    // One ticket is enough for a client to resume.
    SSL_CTX_set_num_tickets(ctx, 1);
    return context;
}

bool awaitBytes(int socket, milliseconds wait, const std::function<bool()> &stopping)
{
    const auto deadline = Clock::now() + wait;
    while (!stopping()) {
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd entry{socket, POLLIN, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(std::min(left, StopCheck).count()));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
    return false;
}

Opening awaitOpening(int socket, milliseconds wait, const std::function<bool()> &stopping)
{
    unsigned char first = 0;
    if (!awaitBytes(socket, wait, stopping) || ::recv(socket, &first, 1, MSG_PEEK) != 1)
        return Opening::Nothing;
    return first == TlsHandshakeRecord ? Opening::Tls : Opening::Plain;
}

std::unique_ptr<TlsConnection> TlsConnection::accept(SSL_CTX *context, int socket, milliseconds readTimeout,
                                                     milliseconds writeTimeout)
{
    // Bounds each wait of the handshake, and of a record arriving in pieces.
    setTimeout(socket, SO_RCVTIMEO, readTimeout);
    setTimeout(socket, SO_SNDTIMEO, writeTimeout);
    SSL *ssl = SSL_new(context);
    if (ssl && SSL_set_fd(ssl, socket) == 1 && SSL_accept(ssl) == 1)
        return std::unique_ptr<TlsConnection>(new TlsConnection(ssl));
    SSL_free(ssl);
    // OpenSSL keeps failures in a queue of the thread's, which the next connection would find.
    ERR_clear_error();
    return nullptr;
}

TlsConnection::~TlsConnection()
{
    SSL_shutdown(m_ssl);
    SSL_free(m_ssl);
    ERR_clear_error();
}

ssize_t TlsConnection::read(char *into, size_t size)
{
    const int got = SSL_read(m_ssl, into, static_cast<int>(std::min<size_t>(size, INT_MAX)));
    if (got > 0)
        return got;
    return SSL_get_error(m_ssl, got) == SSL_ERROR_ZERO_RETURN ? 0 : -1;
}

ssize_t TlsConnection::write(const char *from, size_t size)
{
    if (size == 0)
        return 0;
    const int sent = SSL_write(m_ssl, from, static_cast<int>(std::min<size_t>(size, INT_MAX)));
    return sent > 0 ? sent : -1;
}

bool TlsConnection::hasPending() const
{
    return SSL_has_pending(m_ssl) == 1;
}

} // namespace quibo::shared_port
