#include "base/Wakeup.h"

#include <QDebug>

#include <algorithm>
#include <vector>

namespace quibo {

namespace {
// The Wakeups that a task waits on now, so that a scope that ends can unwind its tasks.
thread_local std::vector<Wakeup *> waiting;

void forget(Wakeup *wakeup)
{
    std::erase(waiting, wakeup);
}
} // namespace

namespace task_detail {
void unwindWaitsOf(const ScopeState *scope)
{
    // Unwinding one task may end or start other waits: look again after each.
    for (;;) {
        const auto found = std::find_if(waiting.begin(), waiting.end(), [scope](const Wakeup *wakeup) {
            return wakeup->waiterScope() == scope;
        });
        if (found == waiting.end())
            return;
        (*found)->unwindWaiter();
    }
}
} // namespace task_detail

Wakeup::Wakeup(QObject *parent) : QObject(parent)
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] { resumeWaiter(m_wait); });
}

Wakeup::~Wakeup()
{
    m_destroying = true;
    // Unwinds the task now, while what its frames point to still exists.
    unwindWaiter();
}

const task_detail::ScopeState *Wakeup::waiterScope() const
{
    return m_waiterTask ? m_waiterTask->scope.get() : nullptr;
}

void Wakeup::unwindWaiter()
{
    m_timeout.stop();
    if (const std::coroutine_handle<> waiter = std::exchange(m_waiter, {})) {
        forget(this);
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
    waiting.push_back(wakeup);
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
    forget(this);
    std::shared_ptr<task_detail::TaskTag> task = std::move(m_waiterTask);
    m_unwind = task && task_detail::isCancelled(*task); // its owner or its scope has gone
    const task_detail::RunningTaskScope scope(std::move(task));
    // The resumed task may delete this object: touch no member from here on.
    waiter.resume();
}

} // namespace quibo
