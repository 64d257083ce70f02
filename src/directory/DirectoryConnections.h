#pragma once

#include "directory/HttpWire.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSslConfiguration>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class QSslSocket;
class QTimer;

namespace quibo {

// Where a request goes: the directory's host and port, over TLS or plain TCP.
struct DirectoryEndpoint {
    QString host;
    quint16 port = 0;
    bool tls = false;
    bool operator==(const DirectoryEndpoint &) const = default;
};

// Why a request got no answer.
enum class RequestFailure {
    None,
    Network,     // refused, unknown host, time-out, cut off, not HTTP
    NotTls,      // the server answered the TLS hello with something else, or closed
    NoTlsAnswer, // the server took the connection but said nothing to the TLS hello
    ServerKey,   // the server showed a key the client does not trust for it
    Untrusted,   // the server's certificate failed the system's authorities or its name
};

// One request to the directory server. It finishes once: with the response, or with a failure.
// Deleting it cancels it.
class DirectoryRequest : public QObject {
    Q_OBJECT
public:
    [[nodiscard]] bool isFinished() const { return m_finished; }
    [[nodiscard]] bool answered() const { return m_failure == RequestFailure::None && m_finished; }
    [[nodiscard]] RequestFailure failure() const { return m_failure; }
    [[nodiscard]] int status() const { return m_status; }
    [[nodiscard]] int retryAfter() const { return m_retryAfter; }
    [[nodiscard]] const QByteArray &body() const { return m_body; }
    // The fingerprint of the key the server showed over TLS; empty over plain TCP.
    [[nodiscard]] const QByteArray &serverKey() const { return m_serverKey; }

Q_SIGNALS:
    void finished();

private:
    friend class DirectoryConnections;
    DirectoryRequest(DirectoryEndpoint endpoint, QByteArray bytes, QObject *parent);
    void finish(const http_wire::ResponseReader &reader);
    void fail(RequestFailure failure);

    DirectoryEndpoint m_endpoint;
    QByteArray m_bytes;
    bool m_finished = false;
    bool m_retried = false;
    RequestFailure m_failure = RequestFailure::None;
    int m_status = 0;
    int m_retryAfter = -1;
    QByteArray m_body;
    QByteArray m_serverKey;
};

// How TLS connections are made: the configuration (TLS 1.3, the client's certificate and key,
// how the server's certificate is checked), and whether the key the server showed may have
// the request, asked once per connection before a byte of a request is sent.
struct DirectoryTls {
    QSslConfiguration configuration;
    std::function<bool(const QByteArray &serverKey)> acceptKey;
};

// Keep-alive connections to the directory server, at most `limit` open at once, shared by
// every request; requests beyond the limit wait their turn. A request that meets a kept
// connection the server has just closed is sent once more on a new one. A TLS connection
// whose handshake is not through within `handshakeLimit` fails as NoTlsAnswer.
class DirectoryConnections : public QObject {
    Q_OBJECT
public:
    DirectoryConnections(std::chrono::milliseconds timeout, std::chrono::milliseconds handshakeLimit,
                         int limit, QObject *parent = nullptr);
    ~DirectoryConnections() override;

    // For the TLS connections opened from now on; the kept ones are closed.
    void setTls(DirectoryTls tls);

    // Sends `bytes` (one whole HTTP request) to `endpoint`. The request is a child of this object
    // until the caller takes it.
    DirectoryRequest *send(const DirectoryEndpoint &endpoint, QByteArray bytes);

private:
    struct Connection {
        QSslSocket *socket = nullptr;
        DirectoryEndpoint endpoint;
        DirectoryRequest *request = nullptr; // cleared when the request is deleted
        http_wire::ResponseReader reader;
        bool used = false;      // has carried a request before this one
        bool connected = false; // TCP is through
        bool secured = false;   // TLS is through and the server's key accepted
        bool untrusted = false; // the certificate check failed
        QByteArray serverKey;
    };

    void dispatch();
    Connection *idleConnection(const DirectoryRequest &request);
    void open(DirectoryRequest *request);
    void secured(Connection &connection);
    void assign(Connection &connection, DirectoryRequest *request);
    void readFrom(Connection &connection);
    void lost(Connection &connection, RequestFailure failure);
    void close(Connection &connection);
    void cancelled(QObject *request);
    void timedOut(DirectoryRequest *request);
    Connection *connectionOf(const QSslSocket *socket);

    const std::chrono::milliseconds m_timeout;
    const std::chrono::milliseconds m_handshakeLimit;
    const int m_limit;
    DirectoryTls m_tls;
    std::vector<std::unique_ptr<Connection>> m_connections;
    QList<DirectoryRequest *> m_waiting;
};

} // namespace quibo
