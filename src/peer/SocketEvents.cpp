#include "peer/SocketEvents.h"

#include <QAbstractSocket>
#include <QCoro/QCoroSignal>

namespace quibo {

SocketEvents::SocketEvents(QAbstractSocket *socket) : QObject(socket)
{
    connect(socket, &QAbstractSocket::connected, this, &SocketEvents::changed);
    connect(socket, &QAbstractSocket::disconnected, this, &SocketEvents::changed);
    connect(socket, &QAbstractSocket::errorOccurred, this, &SocketEvents::changed);
    connect(socket, &QAbstractSocket::stateChanged, this, &SocketEvents::changed);
    connect(socket, &QIODevice::readyRead, this, &SocketEvents::changed);
    connect(socket, &QIODevice::bytesWritten, this, &SocketEvents::changed);
}

QCoro::Task<bool> nextChange(SocketEvents *events, QDeadlineTimer deadline)
{
    const auto left = std::chrono::milliseconds(deadline.remainingTime());
    if (left.count() <= 0)
        co_return false;
    co_await qCoro(events, &SocketEvents::changed, left);
    co_return true;
}

} // namespace quibo
