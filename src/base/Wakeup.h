#pragma once

#include <QCoro/QCoroTask>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <coroutine>

namespace quibo {

// Lets one task wait for "something happened" on the object it is a child of. Signals that
// arrive in bursts wake the task once, from the event loop; a wait on a destroyed Wakeup never
// resumes. (A plain signal await resumes once per queued emission, which breaks on bursts.)
class Wakeup : public QObject {
    Q_OBJECT
public:
    explicit Wakeup(QObject *parent);

    // Wakes the waiting task, or the next one to wait.
    void wake();
    [[nodiscard]] bool isPending() const { return m_pending; }

    struct Awaiter {
        Wakeup *wakeup;
        std::chrono::milliseconds timeout;
        bool await_ready() const noexcept { return wakeup->m_pending; }
        void await_suspend(std::coroutine_handle<> waiter) noexcept;
        // True when woken, false when the timeout passed first.
        bool await_resume() const noexcept { return std::exchange(wakeup->m_pending, false); }
    };
    // Completes at the next wake, or after `timeout` (negative: never times out).
    Awaiter next(std::chrono::milliseconds timeout = std::chrono::milliseconds(-1))
    {
        return {this, timeout};
    }

private:
    void resumeWaiter();

    std::coroutine_handle<> m_waiter;
    bool m_pending = false;
    bool m_resumeQueued = false;
    QTimer m_timeout;
};

// Waits for the next emission of a signal without arguments. The wait belongs to `sender`: when
// it is destroyed first, the task is never resumed. Returns false when `timeout` passed first.
template <typename Sender, typename Signal>
QCoro::Task<bool> nextSignal(Sender *sender, Signal signal,
                             std::chrono::milliseconds timeout = std::chrono::milliseconds(-1))
{
    auto *wakeup = new Wakeup(sender);
    const QMetaObject::Connection connection = QObject::connect(sender, signal, wakeup, &Wakeup::wake);
    const bool woken = co_await wakeup->next(timeout);
    QObject::disconnect(connection);
    wakeup->deleteLater();
    co_return woken;
}

} // namespace quibo
