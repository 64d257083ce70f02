#pragma once

#include <QCoro/QCoroTask>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace quibo::test {

// Runs the event loop until `done` holds or `timeout` passes; returns `done()`.
inline bool waitFor(const std::function<bool()> &done,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    return QTest::qWaitFor(done, static_cast<int>(timeout.count()));
}

// Runs the event loop until `*ended` holds; past `limit` the test fails instead of hanging.
inline bool runLoopUntil(const std::shared_ptr<bool> &ended, std::chrono::milliseconds limit)
{
    if (!*ended) {
        QEventLoop loop;
        QTimer check; // a task ends inside some other event: look after each, without sleeping
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (*ended)
                loop.quit();
        });
        check.start(1);
        QTimer::singleShot(limit, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!*ended)
        ADD_FAILURE() << "the task was still running after " << limit.count() << " ms";
    return *ended;
}

// Runs the event loop until everything queued before this call has run: the next event after
// them, rather than the clock, shows that nothing more came of them.
inline bool settle()
{
    QObject context;
    bool reached = false;
    QMetaObject::invokeMethod(&context, [&reached] { reached = true; }, Qt::QueuedConnection);
    return waitFor([&reached] { return reached; });
}

inline void failOnThrow(const std::exception &error)
{
    ADD_FAILURE() << "the task threw: " << error.what();
}

// Runs the event loop until `task` completes; false, and a failed test, past `limit`. What the
// task throws fails the test too.
inline bool runToEnd(QCoro::Task<> task, std::chrono::milliseconds limit = std::chrono::seconds(30))
{
    auto ended = std::make_shared<bool>(false);
    auto watch = task.then([ended] { *ended = true; },
                           [ended](const std::exception &e) {
                               failOnThrow(e);
                               *ended = true;
                           });
    return runLoopUntil(ended, limit);
}

// The same for a task with a result: the result, or nothing past `limit`.
template <typename T>
std::optional<T> runToEnd(QCoro::Task<T> task, std::chrono::milliseconds limit = std::chrono::seconds(30))
{
    auto ended = std::make_shared<bool>(false);
    auto result = std::make_shared<std::optional<T>>();
    auto watch = task.then(
        [ended, result](T value) {
            *result = std::move(value);
            *ended = true;
        },
        [ended](const std::exception &e) {
            failOnThrow(e);
            *ended = true;
        });
    runLoopUntil(ended, limit);
    return *result;
}

} // namespace quibo::test
