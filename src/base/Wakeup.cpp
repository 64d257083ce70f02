#include "base/Wakeup.h"

#include <QDebug>

namespace quibo {

Wakeup::Wakeup(QObject *parent) : QObject(parent)
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] { resumeWaiter(m_wait); });
}

Wakeup::~Wakeup()
{
    m_destroying = true;
    m_timeout.stop();
    if (const std::coroutine_handle<> waiter = std::exchange(m_waiter, {})) {
        // Unwinds the task now, while what its frames point to still exists.
        const task_detail::RunningTaskScope scope(std::move(m_waiterTask));
        m_unwind = true;
        waiter.resume();
    }
}

void Wakeup::wake()
{
    if (m_destroying)
        return;
    m_pending = true;
    if (!m_waiter || m_queuedFor == m_wait)
        return;
    // Resume from the event loop, never from inside the emitting object's signal.
    m_queuedFor = m_wait;
    QMetaObject::invokeMethod(
        this, [this, wait = m_wait] { resumeWaiter(wait); }, Qt::QueuedConnection);
}

bool Wakeup::Awaiter::await_ready()
{
    if (wakeup->m_waiter) {
        qCritical("Wakeup: a second task waited while another was waiting; it goes on at once");
        refused = true;
        return true;
    }
    return wakeup->m_pending;
}

void Wakeup::Awaiter::await_suspend(std::coroutine_handle<> waiter)
{
    ++wakeup->m_wait;
    wakeup->m_waiter = waiter;
    wakeup->m_waiterTask = task_detail::runningTask();
    if (timeout.count() >= 0)
        wakeup->m_timeout.start(timeout);
}

bool Wakeup::Awaiter::await_resume()
{
    if (refused)
        return false;
    if (std::exchange(wakeup->m_unwind, false))
        throw TaskCancelled{};
    return std::exchange(wakeup->m_pending, false);
}

void Wakeup::resumeWaiter(quint64 wait)
{
    if (wait != m_wait || !m_waiter)
        return; // meant for a wait that has ended already
    m_timeout.stop();
    const std::coroutine_handle<> waiter = std::exchange(m_waiter, {});
    std::shared_ptr<task_detail::TaskTag> task = std::move(m_waiterTask);
    m_unwind = task && !task->owner; // the task's owner has gone: unwind it instead
    const task_detail::RunningTaskScope scope(std::move(task));
    // The resumed task may delete this object: touch no member from here on.
    waiter.resume();
}

} // namespace quibo
