#include "peer/IncomingConnections.h"

#include "base/Memory.h"
#include "base/Wakeup.h"
#include "keys/UserKey.h"
#include "peer/PeerRecord.h"
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
    // Those held back while the queue was full.
    for (const Kept &k : QList<Kept>(m_kept))
        readKept(k.socket);
    acceptPending();
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
            connect(tls, &QSslSocket::encrypted, this, [this, tls] { encrypted(tls); });
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
    QList<Kept> over;
    for (const Kept &k : std::as_const(m_kept)) {
        if (k.deadline <= now)
            over.append(k);
    }
    // An idle one is closed in order; one whose record did not come whole in its window is cut.
    for (const Kept &k : std::as_const(over))
        dropKept(k.socket, k.buffer.isEmpty());
    armWindows();
}

void IncomingConnections::armWindows()
{
    if (m_reading.isEmpty() && m_kept.isEmpty()) {
        m_windows->stop();
        return;
    }
    auto first = std::chrono::steady_clock::time_point::max();
    for (const Reading &r : std::as_const(m_reading))
        first = std::min(first, r.windowEnd);
    for (const Kept &k : std::as_const(m_kept))
        first = std::min(first, k.deadline);
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

void IncomingConnections::encrypted(QSslSocket *socket)
{
    const QByteArray key = keyFingerprintOf(socket->peerCertificate());
    socket->setProperty(PeerKeyProperty, key);
    if (m_rule.kept > 0 && !key.isEmpty() &&
        socket->sslConfiguration().nextNegotiatedProtocol() == peer::KeptRecordsProtocol)
        keep(socket);
}

void IncomingConnections::keep(QSslSocket *socket)
{
    m_reading.removeIf([socket](const Reading &r) { return r.socket == socket; });
    socket->disconnect(this);
    if (m_kept.size() >= m_rule.kept) {
        // Room is made by the one idle longest; when every one is mid-record, the oldest.
        const auto idle = std::min_element(m_kept.cbegin(), m_kept.cend(), [](const Kept &a, const Kept &b) {
            return a.buffer.isEmpty() != b.buffer.isEmpty() ? a.buffer.isEmpty() : a.deadline < b.deadline;
        });
        dropKept(idle->socket, idle->buffer.isEmpty());
    }
    // Records are read a frame at a time; a flood waits in the kernel, not here.
    socket->setReadBufferSize(64 * 1024);
    m_kept.append({socket, socket->property(PeerKeyProperty).toByteArray(), {},
                   std::chrono::steady_clock::now() + m_rule.keptIdle});
    connect(socket, &QIODevice::readyRead, this, [this, socket] { readKept(socket); });
    connect(socket, &QAbstractSocket::disconnected, this, [this, socket] {
        readKept(socket);
        dropKept(socket, false);
    });
    readKept(socket);
    if (socket->state() != QAbstractSocket::ConnectedState)
        dropKept(socket, false);
    armWindows();
}

void IncomingConnections::readKept(QSslSocket *socket)
{
    const auto it = std::find_if(m_kept.begin(), m_kept.end(), [socket](const Kept &k) { return k.socket == socket; });
    if (it == m_kept.end())
        return;
    const bool wasIdle = it->buffer.isEmpty();
    bool took = false;
    // While complete reads wait unhandled, the records stay unread and unanswered: next() reads on.
    while (m_complete.size() < m_rule.waiting) {
        QByteArray record;
        const peer::Unframed state = peer::takeFrame(it->buffer, record);
        if (state == peer::Unframed::TooLong) {
            qWarning("peer: a kept connection from %s sent a frame longer than any record; closed",
                     qPrintable(sourceOf(socket).toString()));
            dropKept(socket, false);
            return;
        }
        if (state == peer::Unframed::Partial) {
            const QByteArray more = socket->read(4 + peer::LargestBlock - it->buffer.size());
            if (more.isEmpty())
                break;
            it->buffer += more;
            continue;
        }
        record.truncate(m_rule.bytes);
        m_complete.append({sourceOf(socket), record, it->peerKey});
        // Taken: the sender may count it as delivered, as when a classic connection closes.
        socket->write(&peer::KeptRecordAck, 1);
        took = true;
        m_completed->wake();
        Q_EMIT read();
    }
    const auto now = std::chrono::steady_clock::now();
    if (it->buffer.isEmpty() && took)
        it->deadline = now + m_rule.keptIdle;
    else if (!it->buffer.isEmpty() && (wasIdle || took)) // a record began: its window starts
        it->deadline = now + m_rule.window;
    armWindows();
}

void IncomingConnections::dropKept(QSslSocket *socket, bool gracefully)
{
    if (!m_kept.removeIf([socket](const Kept &k) { return k.socket == socket; }))
        return;
    socket->disconnect(this);
    if (gracefully)
        socket->disconnectFromHost();
    else
        socket->abort();
    socket->deleteLater();
    if (m_reading.isEmpty() && m_kept.isEmpty())
        m_quiet->start();
}

void IncomingConnections::forget(QTcpSocket *socket)
{
    m_reading.removeIf([socket](const Reading &r) { return r.socket == socket; });
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    if (m_reading.isEmpty() && m_kept.isEmpty())
        m_quiet->start();
}

} // namespace quibo
