#include "base/Wakeup.h"

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

} // namespace quibo
