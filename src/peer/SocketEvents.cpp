#include "peer/SocketEvents.h"

#include <QAbstractSocket>
#include <QTcpServer>

namespace quibo {

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
