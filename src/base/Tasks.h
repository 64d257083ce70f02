#pragma once

#include <QCoro/QCoroTask>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

namespace quibo {

// Thrown into a waiting task instead of resuming it, when the object its wait belonged to has
// been destroyed or the task's owner has gone. It unwinds the task's frames, freeing them, and
// no more of the task's code runs. Only startTask catches it: never catch it elsewhere, except
// to rethrow it at once.
struct TaskCancelled {};

// Starts one of `owner`'s tasks and lets it run on by itself: `start` is called at once and
// returns the task (a plain lambda around a member coroutine). Once `owner` is destroyed the
// task is never resumed again. An exception that ends the task is logged with `name`.
void startTask(QObject *owner, const char *name, const std::function<QCoro::Task<>()> &start);

namespace task_detail {

// Which started task a piece of code belongs to.
struct TaskTag {
    QPointer<QObject> owner;
    const char *name;
};

// The task whose code runs at this moment; null outside tasks started by startTask.
const std::shared_ptr<TaskTag> &runningTask();

// Marks the code run within its lifetime as belonging to `tag`.
class RunningTaskScope {
public:
    explicit RunningTaskScope(std::shared_ptr<TaskTag> tag);
    ~RunningTaskScope();
    RunningTaskScope(const RunningTaskScope &) = delete;
    RunningTaskScope &operator=(const RunningTaskScope &) = delete;

private:
    std::shared_ptr<TaskTag> m_previous;
};

} // namespace task_detail

} // namespace quibo
