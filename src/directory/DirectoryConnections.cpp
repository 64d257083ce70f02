#include "directory/DirectoryConnections.h"

#include "keys/UserKey.h"
#include "peer/SocketEvents.h"

#include <QSslSocket>
#include <QTimer>

namespace quibo {

DirectoryRequest::DirectoryRequest(DirectoryEndpoint endpoint, QByteArray bytes, QObject *parent)
    : QObject(parent), m_endpoint(std::move(endpoint)), m_bytes(std::move(bytes))
{
}

void DirectoryRequest::finish(const http_wire::ResponseReader &reader)
{
    if (m_finished)
        return;
    m_finished = true;
    m_status = reader.status();
    m_retryAfter = reader.retryAfter();
    m_body = reader.body();
    Q_EMIT finished();
}

void DirectoryRequest::fail(RequestFailure failure)
{
    if (m_finished)
        return;
    m_finished = true;
    m_failure = failure;
    Q_EMIT finished();
}

DirectoryConnections::DirectoryConnections(std::chrono::milliseconds timeout,
                                           std::chrono::milliseconds handshakeLimit, int limit,
                                           QObject *parent)
    : QObject(parent), m_timeout(timeout), m_handshakeLimit(handshakeLimit), m_limit(limit)
{
}

DirectoryConnections::~DirectoryConnections()
{
    for (const auto &connection : m_connections)
        connection->socket->disconnect(this);
}

void DirectoryConnections::setTls(DirectoryTls tls)
{
    m_tls = std::move(tls);
    std::vector<QSslSocket *> kept;
    for (const auto &connection : m_connections) {
        if (connection->endpoint.tls && connection->request == nullptr)
            kept.push_back(connection->socket);
    }
    for (QSslSocket *socket : kept)
        close(*connectionOf(socket));
}

DirectoryRequest *DirectoryConnections::send(const DirectoryEndpoint &endpoint, QByteArray bytes)
{
    auto *request = new DirectoryRequest(endpoint, std::move(bytes), this);
    connect(request, &QObject::destroyed, this, &DirectoryConnections::cancelled);
    // The limit dies with the request or with this object, whichever goes first.
    auto *limit = new QTimer(request);
    limit->setSingleShot(true);
    connect(limit, &QTimer::timeout, this, [this, request] { timedOut(request); });
    limit->start(m_timeout);
    m_waiting.append(request);
    dispatch();
    return request;
}

void DirectoryConnections::dispatch()
{
    while (!m_waiting.isEmpty()) {
        DirectoryRequest *request = m_waiting.first();
        if (Connection *idle = idleConnection(*request)) {
            m_waiting.removeFirst();
            assign(*idle, request);
            continue;
        }
        if (int(m_connections.size()) >= m_limit) {
            // Full: an idle connection to another server makes room; else the request waits.
            const auto idleElsewhere = std::find_if(m_connections.begin(), m_connections.end(),
                                                    [](const auto &c) { return c->request == nullptr; });
            if (idleElsewhere == m_connections.end())
                return;
            close(**idleElsewhere);
        }
        m_waiting.removeFirst();
        open(request);
    }
}

DirectoryConnections::Connection *DirectoryConnections::idleConnection(const DirectoryRequest &request)
{
    for (const auto &connection : m_connections) {
        if (connection->request == nullptr && connection->endpoint == request.m_endpoint)
            return connection.get();
    }
    return nullptr;
}

void DirectoryConnections::open(DirectoryRequest *request)
{
    auto connection = std::make_unique<Connection>();
    connection->endpoint = request->m_endpoint;
    auto *socket = static_cast<QSslSocket *>(directSocket(true, this));
    connection->socket = socket;
    connect(socket, &QSslSocket::connected, this, [this, socket] {
        Connection *c = connectionOf(socket);
        if (!c)
            return;
        c->connected = true;
        if (!c->endpoint.tls && c->request)
            socket->write(c->request->m_bytes);
    });
    connect(socket, &QSslSocket::encrypted, this, [this, socket] {
        if (Connection *c = connectionOf(socket))
            secured(*c);
    });
    connect(socket, &QSslSocket::sslErrors, this, [this, socket] {
        // Not ignored: the handshake ends, and the failure says why.
        if (Connection *c = connectionOf(socket))
            c->untrusted = true;
    });
    connect(socket, &QSslSocket::readyRead, this, [this, socket] {
        if (Connection *c = connectionOf(socket))
            readFrom(*c);
    });
    const auto gone = [this, socket] {
        Connection *c = connectionOf(socket);
        if (!c)
            return;
        const bool inHandshake = c->endpoint.tls && c->connected && !c->secured;
        lost(*c, !inHandshake   ? RequestFailure::Network
                 : c->untrusted ? RequestFailure::Untrusted
                                : RequestFailure::NotTls);
    };
    connect(socket, &QSslSocket::disconnected, this, gone);
    connect(socket, &QSslSocket::errorOccurred, this, gone);
    connection->request = request;
    m_connections.push_back(std::move(connection));
    if (!request->m_endpoint.tls) {
        socket->connectToHost(request->m_endpoint.host, request->m_endpoint.port);
        return;
    }
    socket->setSslConfiguration(m_tls.configuration);
    auto *handshake = new QTimer(socket);
    handshake->setSingleShot(true);
    connect(handshake, &QTimer::timeout, this, [this, socket] {
        Connection *c = connectionOf(socket);
        if (c && !c->secured)
            lost(*c, c->connected ? RequestFailure::NoTlsAnswer : RequestFailure::Network);
    });
    handshake->start(m_handshakeLimit);
    socket->connectToHostEncrypted(request->m_endpoint.host, request->m_endpoint.port);
}

void DirectoryConnections::secured(Connection &connection)
{
    connection.serverKey = keyFingerprintOf(connection.socket->peerCertificate());
    if (!m_tls.acceptKey || !m_tls.acceptKey(connection.serverKey)) {
        DirectoryRequest *request = connection.request;
        close(connection);
        if (request)
            request->fail(RequestFailure::ServerKey);
        dispatch();
        return;
    }
    connection.secured = true;
    if (DirectoryRequest *request = connection.request) {
        request->m_serverKey = connection.serverKey;
        connection.socket->write(request->m_bytes);
    }
}

void DirectoryConnections::assign(Connection &connection, DirectoryRequest *request)
{
    connection.request = request;
    connection.reader = {};
    connection.used = true;
    request->m_serverKey = connection.serverKey;
    connection.socket->write(request->m_bytes);
}

void DirectoryConnections::readFrom(Connection &connection)
{
    const QByteArray bytes = connection.socket->readAll();
    DirectoryRequest *request = connection.request;
    if (request == nullptr) {
        close(connection); // bytes nobody asked for: the connection is out of step
        dispatch();
        return;
    }
    switch (connection.reader.feed(bytes)) {
    case http_wire::ResponseReader::State::Reading:
        return;
    case http_wire::ResponseReader::State::Complete: {
        const http_wire::ResponseReader reader = connection.reader;
        connection.request = nullptr;
        if (!reader.keepAlive())
            close(connection);
        request->finish(reader);
        break;
    }
    case http_wire::ResponseReader::State::Malformed:
        close(connection);
        request->fail(RequestFailure::Network);
        break;
    }
    dispatch();
}

void DirectoryConnections::lost(Connection &connection, RequestFailure failure)
{
    DirectoryRequest *request = connection.request;
    const bool complete = connection.reader.closed() == http_wire::ResponseReader::State::Complete;
    const bool stale = connection.used && !connection.reader.anythingRead();
    const http_wire::ResponseReader reader = connection.reader;
    close(connection);
    if (request != nullptr) {
        if (complete) {
            request->finish(reader);
        } else if (stale && !request->m_retried) {
            // The server had closed the kept connection before our request reached it.
            request->m_retried = true;
            m_waiting.prepend(request);
        } else {
            request->fail(failure);
        }
    }
    dispatch();
}

void DirectoryConnections::close(Connection &connection)
{
    QSslSocket *socket = connection.socket;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    std::erase_if(m_connections, [socket](const auto &c) { return c->socket == socket; });
}

void DirectoryConnections::cancelled(QObject *request)
{
    m_waiting.removeIf([request](DirectoryRequest *waiting) { return waiting == request; });
    for (const auto &connection : m_connections) {
        if (connection->request == request) {
            // Its answer may still come: the connection can no longer be trusted to be in step.
            close(*connection);
            break;
        }
    }
    dispatch();
}

void DirectoryConnections::timedOut(DirectoryRequest *request)
{
    if (!m_waiting.removeOne(request)) {
        for (const auto &connection : m_connections) {
            if (connection->request == request) {
                close(*connection);
                break;
            }
        }
    }
    request->fail(RequestFailure::Network);
    dispatch();
}

DirectoryConnections::Connection *DirectoryConnections::connectionOf(const QSslSocket *socket)
{
    for (const auto &connection : m_connections) {
        if (connection->socket == socket)
            return connection.get();
    }
    return nullptr;
}

} // namespace quibo
