#include "peer/IncomingConnections.h"

#include "base/Memory.h"
#include "base/Wakeup.h"
#include "keys/UserKey.h"
#include "peer/SniffingServer.h"

#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

#include <sys/ioctl.h>
#include <sys/socket.h>

namespace quibo {

namespace {

// Bytes the peer sent that the event loop has not read yet.
int unreadBytes(QTcpSocket *socket)
{
    int unread = 0;
    return ::ioctl(int(socket->socketDescriptor()), FIONREAD, &unread) == 0 ? unread : 0;
}

// TLS connections: the bytes on the descriptor are the handshake's, not the record's.
QSslSocket *secure(QTcpSocket *socket)
{
    return qobject_cast<QSslSocket *>(socket);
}

constexpr const char *PeerKeyProperty = "quiboPeerKey";

// A dual-stack port sees IPv4 peers as ::ffff:a.b.c.d; whoever judges a source by its address
// gets the dotted text, as from an IPv4 port.
QHostAddress sourceOf(QTcpSocket *socket)
{
    const QHostAddress peer = socket->peerAddress();
    bool isV4 = false;
    const quint32 v4 = peer.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : peer;
}

bool hasSentAnything(QTcpSocket *socket)
{
    // A TLS connection has sent its hello at least.
    return secure(socket) || socket->bytesAvailable() > 0 || unreadBytes(socket) > 0;
}

} // namespace

IncomingConnections::IncomingConnections(ReadRule rule, QObject *parent)
    : QObject(parent), m_rule(rule), m_quiet(new QTimer(this)), m_windows(new QTimer(this)),
      m_completed(new Wakeup(this))
{
    m_windows->setSingleShot(true);
    m_windows->setTimerType(Qt::PreciseTimer);
    connect(m_windows, &QTimer::timeout, this, &IncomingConnections::endWindows);
    // A flood leaves the heap full of freed socket buffers; once it is over they go back.
    m_quiet->setSingleShot(true);
    m_quiet->setInterval(m_rule.quiet);
    connect(m_quiet, &QTimer::timeout, this, &releaseFreedMemory);
}

IncomingConnections::~IncomingConnections() = default;

bool IncomingConnections::listen(const QHostAddress &address, quint16 port)
{
    auto *server = new SniffingServer(m_rule.window + m_rule.handshake, m_rule.connections, this);
    server->setTls(m_tls);
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
    Received received = m_complete.takeFirst();
    acceptPending(); // those held back while the queue was full
    co_return received;
}

void IncomingConnections::acceptPending()
{
    // With enough complete reads waiting, new connections wait in the backlog: a flood must
    // not push out the records that came before it.
    while (m_complete.size() < m_rule.waiting) {
        QTcpSocket *socket = m_server ? m_server->nextPendingConnection() : nullptr;
        if (!socket)
            break;
        const QHostAddress source = sourceOf(socket);
        const auto fromSource = [&](QTcpSocket *s) { return sourceOf(s) == source; };
        if (std::count_if(m_reading.cbegin(), m_reading.cend(), [&](const Reading &r) { return fromSource(r.socket); }) >=
            m_rule.perSource)
            makeRoom(fromSource);
        if (m_reading.size() >= m_rule.connections)
            makeRoom([](QTcpSocket *) { return true; });
        m_reading.append({socket, std::chrono::steady_clock::now() +
                                      (secure(socket) ? m_rule.window + m_rule.handshake : m_rule.window)});
        m_quiet->stop();
        if (QSslSocket *tls = secure(socket)) {
            connect(tls, &QSslSocket::encrypted, this, [tls] {
                tls->setProperty(PeerKeyProperty, keyFingerprintOf(tls->peerCertificate()));
            });
        } else { // the handshake's records are longer than the block
            socket->setReadBufferSize(m_rule.bytes);
        }
        connect(socket, &QIODevice::readyRead, this, [this, socket] { check(socket); });
        connect(socket, &QAbstractSocket::disconnected, this, [this, socket] { complete(socket); });
        check(socket); // bytes may have come with the connection
    }
    armWindows();
}

void IncomingConnections::endWindows()
{
    const auto now = std::chrono::steady_clock::now();
    QList<QTcpSocket *> ended;
    for (const Reading &r : std::as_const(m_reading)) {
        if (r.windowEnd <= now)
            ended.append(r.socket);
    }
    for (QTcpSocket *socket : std::as_const(ended))
        complete(socket);
    armWindows();
}

void IncomingConnections::armWindows()
{
    if (m_reading.isEmpty()) {
        m_windows->stop();
        return;
    }
    const auto first = std::min_element(m_reading.cbegin(), m_reading.cend(), [](const Reading &a, const Reading &b) {
                           return a.windowEnd < b.windowEnd;
                       })->windowEnd;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(first - std::chrono::steady_clock::now());
    const auto due = std::max(wait, std::chrono::milliseconds(0));
    // Re-armed only when the earliest end moved: a flood's accepts leave it be.
    if (!m_windows->isActive() || m_windows->remainingTimeAsDuration() > due)
        m_windows->start(due);
}

void IncomingConnections::makeRoom(const std::function<bool(QTcpSocket *)> &among)
{
    // The oldest connection that has sent nothing goes. When all have sent something, the
    // oldest is read now, as its window had ended: the event loop may just be behind, and a
    // sender whose record waits unread must not lose it.
    QTcpSocket *oldest = nullptr;
    for (const Reading &r : std::as_const(m_reading)) {
        QTcpSocket *socket = r.socket;
        if (!among(socket))
            continue;
        if (!hasSentAnything(socket)) {
            forget(socket);
            return;
        }
        if (!oldest)
            oldest = socket;
    }
    if (oldest)
        complete(oldest);
}

void IncomingConnections::check(QTcpSocket *socket)
{
    if (socket->bytesAvailable() >= m_rule.bytes || socket->state() != QAbstractSocket::ConnectedState)
        complete(socket);
}

void IncomingConnections::complete(QTcpSocket *socket)
{
    if (std::none_of(m_reading.cbegin(), m_reading.cend(), [socket](const Reading &r) { return r.socket == socket; }))
        return;
    QByteArray bytes = socket->read(m_rule.bytes);
    QByteArray peerKey;
    if (secure(socket)) {
        // Noted when the handshake ended: a closed TLS socket forgets it.
        peerKey = socket->property(PeerKeyProperty).toByteArray();
        if (peerKey.isEmpty())
            bytes.clear();
    } else if (const qsizetype missing =
                   std::min<qsizetype>(m_rule.bytes - bytes.size(), unreadBytes(socket));
               missing > 0) {
        const qsizetype had = bytes.size();
        bytes.resize(had + missing);
        const auto got =
            ::recv(int(socket->socketDescriptor()), bytes.data() + had, size_t(missing), MSG_DONTWAIT);
        bytes.truncate(had + std::max<qsizetype>(got, 0));
    }
    m_complete.append({sourceOf(socket), bytes, peerKey});
    forget(socket);
    m_completed->wake();
    Q_EMIT read();
}

void IncomingConnections::forget(QTcpSocket *socket)
{
    m_reading.removeIf([socket](const Reading &r) { return r.socket == socket; });
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    if (m_reading.isEmpty())
        m_quiet->start();
}

} // namespace quibo
