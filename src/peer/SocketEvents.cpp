#include "peer/SocketEvents.h"

#include <QAbstractSocket>
#include <QTcpServer>

namespace quibo {

Wakeup::Wakeup(QObject *parent) : QObject(parent)
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, &Wakeup::resumeWaiter);
}

void Wakeup::wake()
{
    m_pending = true;
    if (!m_waiter || m_resumeQueued)
        return;
    // Resume from the event loop, never from inside the emitting object's signal.
    m_resumeQueued = true;
    QMetaObject::invokeMethod(this, &Wakeup::resumeWaiter, Qt::QueuedConnection);
}

void Wakeup::Awaiter::await_suspend(std::coroutine_handle<> waiter) noexcept
{
    wakeup->m_waiter = waiter;
    if (timeout.count() >= 0)
        wakeup->m_timeout.start(timeout);
}

void Wakeup::resumeWaiter()
{
    m_resumeQueued = false;
    m_timeout.stop();
    if (const std::coroutine_handle<> waiter = std::exchange(m_waiter, {}))
        waiter.resume();
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
