#pragma once

#include "keys/KeyMaking.h"

#include <QString>

#include <openssl/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <variant>

namespace quibo::shared_port {

struct SslContextFree {
    void operator()(SSL_CTX *context) const;
};
using TlsContext = std::unique_ptr<SSL_CTX, SslContextFree>;

enum class ClientCertificate { Asked, NotAsked };

// Serves TLS 1.3 only with `identity`. Asked, a client may still come without a certificate,
// and any certificate is taken: the handshake proves the client holds its key, and the server
// compares that key with the one it knows.
std::variant<TlsContext, QString> serverContext(const keys::KeyPair &identity, ClientCertificate client);

enum class Opening { Tls, Plain, Nothing };

// Waits up to `wait` for the client's first byte and tells what it opens with, without taking
// the byte; Nothing on time-out, at the end, or once `stopping` says so.
Opening awaitOpening(int socket, std::chrono::milliseconds wait, const std::function<bool()> &stopping);

// Waits up to `wait` for bytes (or the end) on `socket`; false on time-out, on an error, or once
// `stopping` says so (asked every few tens of milliseconds).
bool awaitBytes(int socket, std::chrono::milliseconds wait, const std::function<bool()> &stopping);

// One accepted TLS connection on a blocking socket: each wait on it is bounded by the timeouts.
class TlsConnection {
public:
    // The handshake on `socket`; null when it fails. The socket stays the caller's.
    static std::unique_ptr<TlsConnection> accept(SSL_CTX *context, int socket, std::chrono::milliseconds readTimeout,
                                                 std::chrono::milliseconds writeTimeout);
    ~TlsConnection();
    TlsConnection(const TlsConnection &) = delete;
    TlsConnection &operator=(const TlsConnection &) = delete;

    // As recv(2): bytes read, 0 at the client's close, -1 on a failure or time-out.
    ssize_t read(char *into, size_t size);
    // Writes all of `size` or fails (-1).
    ssize_t write(const char *from, size_t size);
    // Decrypted bytes are waiting that the socket no longer shows.
    [[nodiscard]] bool hasPending() const;
    [[nodiscard]] SSL *session() const { return m_ssl; }

private:
    explicit TlsConnection(SSL *ssl) : m_ssl(ssl) {}
    SSL *m_ssl;
};

} // namespace quibo::shared_port
