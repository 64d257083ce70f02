#pragma once

#include <QCoro/QCoroTask>
#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <coroutine>

class QAbstractSocket;
class QTcpServer;

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

    struct Awaiter {
        Wakeup *wakeup;
        std::chrono::milliseconds timeout;
        bool await_ready() const noexcept { return wakeup->m_pending; }
        void await_suspend(std::coroutine_handle<> waiter) noexcept;
        void await_resume() const noexcept { wakeup->m_pending = false; }
    };
    // Completes at the next wake, or after `timeout` (negative: never times out).
    Awaiter next(std::chrono::milliseconds timeout = std::chrono::milliseconds(-1)) { return {this, timeout}; }

private:
    void resumeWaiter();

    std::coroutine_handle<> m_waiter;
    bool m_pending = false;
    bool m_resumeQueued = false;
    QTimer m_timeout;
};

// A socket's changes (connected, bytes read or written, closed, failed) as one Wakeup, owned
// by the socket.
Wakeup *watchSocket(QAbstractSocket *socket);
// A listening server's new connections as one Wakeup, owned by the server.
Wakeup *watchServer(QTcpServer *server);

// Waits for the next change, at most until `deadline`; false once the deadline has passed.
QCoro::Task<bool> nextChange(Wakeup *wakeup, QDeadlineTimer deadline);

} // namespace quibo
