#pragma once

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace quibo {

// One thread that runs blocking jobs in the order they were posted, so that the GUI thread
// never waits on them. What a job returns runs in `receiver`'s thread, from its event loop;
// it is dropped once the receiver is gone or finish() has begun. A job reaches nothing of the
// receiver's: it may run after the receiver has gone.
class JobThread {
public:
    using Result = std::function<void()>;
    using Job = std::function<Result()>;

    explicit JobThread(QObject *receiver);
    // finish() with no patience, unless it has been called.
    ~JobThread();
    JobThread(const JobThread &) = delete;
    JobThread &operator=(const JobThread &) = delete;

    void post(Job job);
    // Stops delivering, lets the jobs posted so far run, and waits for them for at most
    // `patience`. Past it the thread is left to end alone, or with the process.
    void finish(std::chrono::milliseconds patience);

    struct Shared;

private:
    static void run(const std::shared_ptr<Shared> &shared);

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};

} // namespace quibo
