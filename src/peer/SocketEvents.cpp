#include "peer/SocketEvents.h"

#include <QNetworkProxy>
#include <QSslSocket>
#include <QTcpServer>

namespace quibo {

QTcpSocket *directSocket(bool tls, QObject *parent)
{
    // A TLS socket's bind() makes its inner plain socket without the proxy set here, which then
    // asks the system: the program's own default is no proxy either.
    [[maybe_unused]] static const bool direct = [] {
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        return true;
    }();
    QTcpSocket *socket = tls ? new QSslSocket(parent) : new QTcpSocket(parent);
    socket->setProxy(QNetworkProxy::NoProxy);
    return socket;
}

Wakeup *watchSocket(QAbstractSocket *socket)
{
    auto *wakeup = new Wakeup(socket);
    QObject::connect(socket, &QAbstractSocket::connected, wakeup, &Wakeup::wake);
    QObject::connect(socket, &QAbstractSocket::disconnected, wakeup, &Wakeup::wake);
    QObject::connect(socket, &QAbstractSocket::errorOccurred, wakeup, &Wakeup::wake);
    QObject::connect(socket, &QAbstractSocket::stateChanged, wakeup, &Wakeup::wake);
    QObject::connect(socket, &QIODevice::readyRead, wakeup, &Wakeup::wake);
    QObject::connect(socket, &QIODevice::bytesWritten, wakeup, &Wakeup::wake);
    return wakeup;
}

Wakeup *watchServer(QTcpServer *server)
{
    auto *wakeup = new Wakeup(server);
    QObject::connect(server, &QTcpServer::newConnection, wakeup, &Wakeup::wake);
    return wakeup;
}

QCoro::Task<bool> nextChange(Wakeup *wakeup, QDeadlineTimer deadline)
{
    const auto left = std::chrono::milliseconds(deadline.remainingTime());
    if (left.count() <= 0)
        co_return false;
    co_await wakeup->next(left);
    co_return true;
}

} // namespace quibo
