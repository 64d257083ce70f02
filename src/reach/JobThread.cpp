#include "reach/JobThread.h"

#include <QCoreApplication>
#include <QEvent>

#include <condition_variable>
#include <deque>
#include <mutex>

namespace quibo {

// Outlives the JobThread when its thread is left to end alone.
struct JobThread::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Job> jobs;
    std::deque<Result> results;
    QObject *delivery = nullptr; // in the receiver's thread; null once finish() has begun
    bool ending = false;
    bool ended = false;
};

namespace {

// The receiver's child that runs the results. Each is handed over under the mutex, and the
// event that asks for them is the event queue's alone once posted: the thread touches nothing
// the receiver's thread reads or frees without that mutex between them.
class Delivery final : public QObject {
public:
    Delivery(QObject *receiver, std::shared_ptr<JobThread::Shared> shared)
        : QObject(receiver), m_shared(std::move(shared))
    {
    }
    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        for (;;) {
            JobThread::Result result;
            {
                const std::lock_guard lock(m_shared->mutex);
                if (m_shared->results.empty())
                    return true;
                result = std::move(m_shared->results.front());
                m_shared->results.pop_front();
            }
            result();
        }
    }

private:
    std::shared_ptr<JobThread::Shared> m_shared;
};

} // namespace

JobThread::JobThread(QObject *receiver) : m_shared(std::make_shared<Shared>())
{
    m_shared->delivery = new Delivery(receiver, m_shared);
    m_thread = std::thread([shared = m_shared] { run(shared); });
}

JobThread::~JobThread()
{
    if (m_thread.joinable())
        finish(std::chrono::milliseconds(0));
}

void JobThread::post(Job job)
{
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->jobs.push_back(std::move(job));
    }
    m_shared->changed.notify_all();
}

void JobThread::finish(std::chrono::milliseconds patience)
{
    bool ended = false;
    {
        std::unique_lock lock(m_shared->mutex);
        m_shared->delivery = nullptr;
        m_shared->ending = true;
        m_shared->changed.notify_all();
        ended = m_shared->changed.wait_for(lock, patience, [this] { return m_shared->ended; });
    }
    if (ended)
        m_thread.join();
    else
        m_thread.detach();
}

void JobThread::run(const std::shared_ptr<Shared> &shared)
{
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->changed.wait(lock, [&shared] { return !shared->jobs.empty() || shared->ending; });
        if (shared->jobs.empty())
            break;
        Job job = std::move(shared->jobs.front());
        shared->jobs.pop_front();
        lock.unlock();
        Result result = job();
        job = nullptr; // what it holds goes outside the lock too
        lock.lock();
        // Under the lock, so the receiver cannot go between the check and the posting; Qt
        // drops the events still queued for its child when it is destroyed.
        if (result && shared->delivery) {
            shared->results.push_back(std::move(result));
            QCoreApplication::postEvent(shared->delivery, new QEvent(QEvent::User));
        }
    }
    shared->ended = true;
    shared->changed.notify_all();
}

} // namespace quibo
