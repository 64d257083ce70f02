#include "directory/DirectoryConnections.h"

#include <QLocale>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

namespace quibo {

DirectoryRequest::DirectoryRequest(QString host, quint16 port, QByteArray bytes, QObject *parent)
    : QObject(parent), m_host(std::move(host)), m_port(port), m_bytes(std::move(bytes))
{
}

void DirectoryRequest::finish(bool answered, QByteArray body)
{
    if (m_finished)
        return;
    m_finished = true;
    m_answered = answered;
    m_body = std::move(body);
    Q_EMIT finished();
}

DirectoryConnections::DirectoryConnections(std::chrono::milliseconds timeout, int limit, QObject *parent)
    : QObject(parent), m_timeout(timeout), m_limit(limit),
      m_acceptLanguage(http_wire::acceptLanguage(QLocale::system().name().toLatin1()))
{
}

DirectoryConnections::~DirectoryConnections()
{
    for (const auto &connection : m_connections)
        connection->socket->disconnect(this);
}

DirectoryRequest *DirectoryConnections::get(const QString &host, quint16 port, QByteArrayView hostHeader,
                                            QByteArrayView target)
{
    auto *request =
        new DirectoryRequest(host, port, http_wire::getRequest(hostHeader, target, m_acceptLanguage), this);
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
        if (connection->request == nullptr && connection->host == request.m_host &&
            connection->port == request.m_port)
            return connection.get();
    }
    return nullptr;
}

void DirectoryConnections::open(DirectoryRequest *request)
{
    auto connection = std::make_unique<Connection>();
    connection->host = request->m_host;
    connection->port = request->m_port;
    auto *socket = new QTcpSocket(this);
    connection->socket = socket;
    socket->setProxy(QNetworkProxy::NoProxy);
    connect(socket, &QTcpSocket::connected, this, [this, socket] {
        if (Connection *c = connectionOf(socket); c && c->request)
            socket->write(c->request->m_bytes);
    });
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
        if (Connection *c = connectionOf(socket))
            readFrom(*c);
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        if (Connection *c = connectionOf(socket))
            lost(*c);
    });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] {
        if (Connection *c = connectionOf(socket))
            lost(*c);
    });
    connection->request = request;
    m_connections.push_back(std::move(connection));
    socket->connectToHost(request->m_host, request->m_port);
}

void DirectoryConnections::assign(Connection &connection, DirectoryRequest *request)
{
    connection.request = request;
    connection.reader = {};
    connection.used = true;
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
        QByteArray body = connection.reader.body();
        connection.request = nullptr;
        if (!connection.reader.keepAlive())
            close(connection);
        request->finish(true, std::move(body));
        break;
    }
    case http_wire::ResponseReader::State::Malformed:
        close(connection);
        request->finish(false);
        break;
    }
    dispatch();
}

void DirectoryConnections::lost(Connection &connection)
{
    DirectoryRequest *request = connection.request;
    const bool complete = connection.reader.closed() == http_wire::ResponseReader::State::Complete;
    const bool stale = connection.used && !connection.reader.anythingRead();
    const QByteArray body = connection.reader.body();
    close(connection);
    if (request != nullptr) {
        if (complete) {
            request->finish(true, body);
        } else if (stale && !request->m_retried) {
            // The server had closed the kept connection before our request reached it.
            request->m_retried = true;
            m_waiting.prepend(request);
        } else {
            request->finish(false);
        }
    }
    dispatch();
}

void DirectoryConnections::close(Connection &connection)
{
    QTcpSocket *socket = connection.socket;
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
    request->finish(false);
    dispatch();
}

DirectoryConnections::Connection *DirectoryConnections::connectionOf(const QTcpSocket *socket)
{
    for (const auto &connection : m_connections) {
        if (connection->socket == socket)
            return connection.get();
    }
    return nullptr;
}

} // namespace quibo
