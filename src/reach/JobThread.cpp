#include "reach/JobThread.h"

#include <QMetaObject>

#include <condition_variable>
#include <deque>
#include <mutex>

namespace quibo {

// Outlives the JobThread when its thread is left to end alone.
struct JobThread::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Job> jobs;
    QObject *receiver = nullptr;
    bool ending = false;
    bool ended = false;
};

JobThread::JobThread(QObject *receiver) : m_shared(std::make_shared<Shared>())
{
    m_shared->receiver = receiver;
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
        m_shared->receiver = nullptr;
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
        // drops the calls still queued for it when it is destroyed.
        if (result && shared->receiver)
            QMetaObject::invokeMethod(shared->receiver, std::move(result), Qt::QueuedConnection);
    }
    shared->ended = true;
    shared->changed.notify_all();
}

} // namespace quibo
