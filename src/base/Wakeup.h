#pragma once

#include "base/Tasks.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <coroutine>
#include <memory>

namespace quibo {

// Lets one task wait for "something happened" on the object it is a child of: the one way a
// task waits. Signals that arrive in bursts wake the task once, and always from the event loop,
// never from inside the emitting object. A wake-up meant for an earlier wait (queued before that
// wait timed out) never ends a later one. When the Wakeup is destroyed, or the waiting task's
// owner has gone, the task is unwound by TaskCancelled instead of resumed.
class Wakeup : public QObject {
    Q_OBJECT
public:
    explicit Wakeup(QObject *parent);
    ~Wakeup() override;

    // Wakes the waiting task, or the next one to wait.
    void wake();
    [[nodiscard]] bool isPending() const { return m_pending; }
    // The scope of the task waiting now; null without one.
    [[nodiscard]] const task_detail::ScopeState *waiterScope() const;
    // Unwinds the waiting task now (TaskCancelled), if one waits.
    void unwindWaiter();

    struct Awaiter {
        Wakeup *wakeup;
        std::chrono::milliseconds timeout;
        bool refused = false;
        bool await_ready();
        void await_suspend(std::coroutine_handle<> waiter);
        // True when woken, false when the timeout passed first.
        bool await_resume();
    };
    // Completes at the next wake, or after `timeout` (negative: never times out). Only one task
    // may wait at a time: a second one is refused with a logged error and gets false at once.
    Awaiter next(std::chrono::milliseconds timeout = std::chrono::milliseconds(-1))
    {
        return {this, timeout};
    }

private:
    void resumeWaiter(quint64 wait);

    std::coroutine_handle<> m_waiter;
    std::shared_ptr<task_detail::TaskTag> m_waiterTask;
    quint64 m_wait = 0;      // counts the waits that suspended; tells a stale wake-up from a current one
    quint64 m_queuedFor = 0; // the wait a queued wake-up is meant for
    bool m_pending = false;
    bool m_unwind = false; // the wait ends by TaskCancelled
    bool m_destroying = false;
    QTimer m_timeout;
};

// Waits for the next emission of `signal` (its arguments are not kept). The wait belongs to
// `sender`: when it is destroyed first, the task is unwound. Returns false when `timeout`
// passed first.
template <typename Sender, typename Signal>
QCoro::Task<bool> nextSignal(Sender *sender, Signal signal,
                             std::chrono::milliseconds timeout = std::chrono::milliseconds(-1))
{
    const FrameOwned<Wakeup> wakeup(new Wakeup(sender));
    QObject::connect(sender, signal, wakeup.get(), &Wakeup::wake);
    co_return co_await wakeup->next(timeout);
}

} // namespace quibo
