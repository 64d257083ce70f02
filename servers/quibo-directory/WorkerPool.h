#pragma once

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace quibo::directory {

// The request workers: httplib's thread pool, but each worker runs `atEnd` itself before it
// ends, so that what it opened (its database connections) is closed while the program is
// whole, rather than by thread-local destructors racing each other at exit.
class WorkerPool final : public httplib::TaskQueue {
public:
    WorkerPool(int threads, std::function<void()> atEnd);
    ~WorkerPool() override;
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    void enqueue(std::function<void()> job) override;
    // Lets the workers finish the queued jobs, then joins them.
    void shutdown() override;

private:
    void work();

    std::function<void()> m_atEnd;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

} // namespace quibo::directory
