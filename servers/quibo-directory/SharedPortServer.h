#pragma once

#include <httplib.h>

#include <openssl/types.h>

#include <functional>

namespace quibo::directory {

class ConnectionStream;

// An httplib server that serves TLS and plain HTTP on one port, told apart by the first byte
// a client sends (0x16 begins a TLS handshake), or TLS alone, or plain HTTP alone (a TLS hello
// then gets a plain "400 Bad Request" at once, as from a web server that has no TLS). Handlers
// find the connection's TLS session in Request::ssl, null for plain HTTP. Keep-alive, timeouts
// and limits are the ones set on the server, as for httplib's own connections.
class SharedPortServer final : public httplib::Server {
public:
    enum class Accepts { PlainAndTls, TlsOnly, PlainOnly };
    // `tls` must outlive the server; none for PlainOnly.
    SharedPortServer(SSL_CTX *tls, Accepts accepts);

private:
    bool process_and_close_socket(socket_t socket) override;
    bool serveTls(socket_t socket);
    std::function<bool()> stopping() const;
    // Answers the requests of one connection until the client, the keep-alive limits or a
    // stopping server end it.
    bool serveRequests(ConnectionStream &stream, const std::function<void(httplib::Request &)> &setup);

    SSL_CTX *m_tls;
    Accepts m_accepts;
};

} // namespace quibo::directory
