#include "base/Tasks.h"

#include <QDebug>

#include <exception>
#include <utility>
#include <vector>

namespace quibo {

namespace task_detail {

namespace {
// Only the GUI thread runs tasks, but thread_local keeps a stray thread from mixing them up.
thread_local std::shared_ptr<TaskTag> running;
// The scopes by their root objects. An ended scope stays as long as its root, so that the
// root's parts start nothing while they are torn down; the newest scope of a root counts.
thread_local std::vector<std::pair<QPointer<QObject>, std::shared_ptr<ScopeState>>> scopes;

std::shared_ptr<ScopeState> scopeOf(QObject *owner)
{
    std::erase_if(scopes, [](const auto &entry) { return entry.first.isNull(); });
    for (QObject *object = owner; object; object = object->parent()) {
        for (auto entry = scopes.rbegin(); entry != scopes.rend(); ++entry) {
            if (entry->first == object)
                return entry->second;
        }
    }
    return nullptr;
}
} // namespace

bool isCancelled(const TaskTag &task)
{
    return !task.owner || (task.scope && task.scope->ended);
}

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

TaskScope::TaskScope(QObject *root) : m_root(root), m_state(std::make_shared<task_detail::ScopeState>())
{
    task_detail::scopes.emplace_back(root, m_state);
}

TaskScope::~TaskScope()
{
    m_state->ended = true;
    task_detail::unwindWaitsOf(m_state.get());
}

void startTask(QObject *owner, const char *name, const std::function<QCoro::Task<>()> &start)
{
    std::shared_ptr<task_detail::ScopeState> scope = task_detail::scopeOf(owner);
    if (scope && scope->ended)
        return; // its owner is being torn down: nothing would be left for it to do
    auto tag = std::make_shared<task_detail::TaskTag>(task_detail::TaskTag{owner, name, std::move(scope)});
    const task_detail::RunningTaskScope running(tag);
    // Runs to its first wait here; its frame frees itself when it ends.
    guarded(tag, start);
}

} // namespace quibo
