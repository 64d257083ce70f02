#pragma once

#include <QCoro/QCoroTask>
#include <QPointer>

#include <chrono>
#include <exception>
#include <memory>
#include <optional>

class QEventLoop;

namespace quibo::test {

// How a run of the event loop learns that its task has ended, even after the run gave up.
struct TaskEnd {
    QPointer<QEventLoop> loop;
    bool ended = false;
    bool threwError = false;
    void reached();
    void threw(const std::exception &error); // fails the test, and ends the run at once
};

// Runs the event loop until `end` is reached; past `limit` the test fails instead of hanging.
bool runUntil(const std::shared_ptr<TaskEnd> &end, std::chrono::milliseconds limit);

constexpr std::chrono::milliseconds TaskLimit = std::chrono::seconds(30);

// Runs the event loop until `task` completes; false (and a failed test) past `limit`.
inline bool runToEnd(QCoro::Task<> task, std::chrono::milliseconds limit = TaskLimit)
{
    auto end = std::make_shared<TaskEnd>();
    auto watch = task.then([end] { end->reached(); }, [end](const std::exception &e) { end->threw(e); });
    return runUntil(end, limit);
}

// The same for a task with a result: the result, or nothing past `limit`.
template <typename T>
std::optional<T> runToEnd(QCoro::Task<T> task, std::chrono::milliseconds limit = TaskLimit)
{
    auto end = std::make_shared<TaskEnd>();
    auto result = std::make_shared<std::optional<T>>();
    auto watch = task.then(
        [end, result](T value) {
            *result = std::move(value);
            end->reached();
        },
        [end](const std::exception &e) { end->threw(e); });
    runUntil(end, limit);
    return *result;
}

} // namespace quibo::test
