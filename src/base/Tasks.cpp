#include "base/Tasks.h"

#include <QDebug>

#include <exception>

namespace quibo {

namespace task_detail {

namespace {
// Only the GUI thread runs tasks, but thread_local keeps a stray thread from mixing them up.
thread_local std::shared_ptr<TaskTag> running;
} // namespace

const std::shared_ptr<TaskTag> &runningTask()
{
    return running;
}

RunningTaskScope::RunningTaskScope(std::shared_ptr<TaskTag> tag)
    : m_previous(std::exchange(running, std::move(tag)))
{
}

RunningTaskScope::~RunningTaskScope()
{
    running = std::move(m_previous);
}

} // namespace task_detail

namespace {
QCoro::Task<> guarded(std::shared_ptr<task_detail::TaskTag> tag, std::function<QCoro::Task<>()> start)
{
    try {
        co_await start();
    } catch (const TaskCancelled &) {
        // Its owner, or what it waited on, has gone: nothing is left to tell.
    } catch (const std::exception &error) {
        qCritical("Task \"%s\" ended by an exception: %s", tag->name, error.what());
    } catch (...) {
        qCritical("Task \"%s\" ended by an unknown exception", tag->name);
    }
}
} // namespace

void startTask(QObject *owner, const char *name, const std::function<QCoro::Task<>()> &start)
{
    auto tag = std::make_shared<task_detail::TaskTag>(task_detail::TaskTag{owner, name});
    const task_detail::RunningTaskScope scope(tag);
    // Runs to its first wait here; its frame frees itself when it ends.
    guarded(tag, start);
}

} // namespace quibo
