#include "peer/IncomingConnections.h"

#include "base/Wakeup.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

#include <sys/ioctl.h>

namespace quibo {

namespace {

// Whether the peer has sent anything yet, counting bytes the event loop has not read so far:
// a sender that has written its whole record must not be dropped just because the loop is
// behind.
bool hasSentAnything(QTcpSocket *socket)
{
    int unread = 0;
    return socket->bytesAvailable() > 0 ||
           (::ioctl(int(socket->socketDescriptor()), FIONREAD, &unread) == 0 && unread > 0);
}

// The oldest of `sockets` that `matches` and has sent nothing; else the oldest that matches.
template <typename Match> QTcpSocket *oldestToDrop(const QList<QTcpSocket *> &sockets, Match matches)
{
    QTcpSocket *oldest = nullptr;
    for (QTcpSocket *socket : sockets) {
        if (!matches(socket))
            continue;
        if (!hasSentAnything(socket))
            return socket;
        if (!oldest)
            oldest = socket;
    }
    return oldest;
}

} // namespace

IncomingConnections::IncomingConnections(ReadRule rule, QObject *parent)
    : QObject(parent), m_rule(rule), m_completed(new Wakeup(this))
{
}

IncomingConnections::~IncomingConnections() = default;

bool IncomingConnections::listen(const QHostAddress &address, quint16 port)
{
    auto *server = new QTcpServer(this);
    server->setListenBacklogSize(m_rule.backlog);
    if (!server->listen(address, port)) {
        delete server;
        return false;
    }
    delete std::exchange(m_server, server);
    connect(server, &QTcpServer::newConnection, this, &IncomingConnections::acceptPending);
    return true;
}

bool IncomingConnections::isListening() const
{
    return m_server && m_server->isListening();
}

QCoro::Task<Received> IncomingConnections::next()
{
    while (m_complete.isEmpty())
        co_await m_completed->next();
    co_return m_complete.takeFirst();
}

void IncomingConnections::acceptPending()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        const QHostAddress source = socket->peerAddress();
        if (std::count_if(m_reading.cbegin(), m_reading.cend(),
                          [&](QTcpSocket *s) { return s->peerAddress() == source; }) >= m_rule.perSource)
            dropOldestFrom(source);
        if (m_reading.size() >= m_rule.connections)
            dropOldest();
        m_reading.append(socket);
        socket->setReadBufferSize(m_rule.bytes);
        connect(socket, &QIODevice::readyRead, this, [this, socket] { check(socket); });
        connect(socket, &QAbstractSocket::disconnected, this, [this, socket] { complete(socket); });
        QTimer::singleShot(m_rule.window, socket, [this, socket] { complete(socket); });
        check(socket); // bytes may have come with the connection
    }
}

void IncomingConnections::dropOldestFrom(const QHostAddress &source)
{
    if (QTcpSocket *socket =
            oldestToDrop(m_reading, [&](QTcpSocket *s) { return s->peerAddress() == source; }))
        forget(socket);
}

void IncomingConnections::dropOldest()
{
    if (QTcpSocket *socket = oldestToDrop(m_reading, [](QTcpSocket *) { return true; }))
        forget(socket);
}

void IncomingConnections::check(QTcpSocket *socket)
{
    if (socket->bytesAvailable() >= m_rule.bytes || socket->state() != QAbstractSocket::ConnectedState)
        complete(socket);
}

void IncomingConnections::complete(QTcpSocket *socket)
{
    if (!m_reading.contains(socket))
        return;
    if (m_complete.size() >= m_rule.waiting)
        m_complete.removeFirst();
    m_complete.append({socket->peerAddress(), socket->read(m_rule.bytes)});
    forget(socket);
    m_completed->wake();
}

void IncomingConnections::forget(QTcpSocket *socket)
{
    m_reading.removeOne(socket);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

} // namespace quibo
