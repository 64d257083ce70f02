#include "peer/SniffingServer.h"

#include "peer/SocketEvents.h"

#include <QNetworkProxy>
#include <QSocketNotifier>
#include <QSslSocket>
#include <QTimer>

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace quibo {

namespace {
constexpr unsigned char TlsHandshake = 0x16;
}

SniffingServer::SniffingServer(std::chrono::milliseconds window, int waiting, QObject *parent)
    : QTcpServer(parent), m_window(window), m_waiting(waiting)
{
    setProxy(QNetworkProxy::NoProxy); // listen() would look one up
}

SniffingServer::~SniffingServer()
{
    for (const qintptr descriptor : std::as_const(m_order))
        ::close(int(descriptor));
}

void SniffingServer::incomingConnection(qintptr descriptor)
{
    if (tryToClassify(descriptor, false))
        return;
    if (m_order.size() >= m_waiting)
        stopWaiting(m_order.first(), true);
    auto *notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    m_order.append(descriptor);
    m_silent.insert(descriptor, notifier);
    connect(notifier, &QSocketNotifier::activated, this, [this, descriptor, notifier] {
        if (m_silent.value(descriptor) != notifier)
            return;
        stopWaiting(descriptor, false);
        if (!tryToClassify(descriptor, true))
            ::close(int(descriptor));
    });
    QTimer::singleShot(m_window, notifier, [this, descriptor, notifier] {
        if (m_silent.value(descriptor) == notifier)
            stopWaiting(descriptor, true);
    });
}

bool SniffingServer::tryToClassify(qintptr descriptor, bool announce)
{
    unsigned char first = 0;
    const ssize_t got = ::recv(int(descriptor), &first, 1, MSG_PEEK | MSG_DONTWAIT);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return false;
    // A close or an error goes to a plain socket too, which reads it as nothing.
    const std::optional<QSslConfiguration> tls =
        got == 1 && first == TlsHandshake && m_tls ? m_tls() : std::nullopt;
    QTcpSocket *socket = directSocket(tls.has_value(), this);
    if (tls)
        static_cast<QSslSocket *>(socket)->setSslConfiguration(*tls);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        ::close(int(descriptor));
        return true;
    }
    if (tls) {
        // The handshake's flights and the record after them are small writes that must not wait
        // for each other's acknowledgement.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        static_cast<QSslSocket *>(socket)->startServerEncryption();
    }
    addPendingConnection(socket);
    if (announce) // QTcpServer announces those it accepted itself
        Q_EMIT newConnection();
    return true;
}

void SniffingServer::stopWaiting(qintptr descriptor, bool close)
{
    QSocketNotifier *notifier = m_silent.take(descriptor);
    if (!notifier)
        return;
    m_order.removeOne(descriptor);
    notifier->setEnabled(false);
    notifier->deleteLater();
    if (close)
        ::close(int(descriptor));
}

} // namespace quibo
