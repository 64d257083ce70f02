#pragma once

#include "ServedRequest.h"

#include <QObject>

#include <deque>
#include <mutex>

class QSocketNotifier;

namespace quibo::web {

// Hands answered requests from the server's worker threads to the thread that owns this object.
// The records pass under a std::mutex and an eventfd wakes the owner's event loop, so the hand-off
// is visible to ThreadSanitizer (Qt's own queued calls are not, in an uninstrumented Qt).
class ServedQueue : public QObject {
    Q_OBJECT
public:
    explicit ServedQueue(QObject *parent = nullptr);
    ~ServedQueue() override;

    // Any thread.
    void push(ServedRequest request);

signals:
    // On the owner's thread, once per pushed record, in order.
    void served(const ServedRequest &request);

private:
    void deliver();

    std::mutex m_mutex;
    std::deque<ServedRequest> m_pending; // guarded by m_mutex
    int m_wakeFd = -1;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace quibo::web
