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
// task is never resumed again. An exception that ends the task is logged with `name`. The task
// belongs to the TaskScope of the nearest of `owner` and its QObject ancestors that has one;
// a scope that is ending starts nothing.
void startTask(QObject *owner, const char *name, const std::function<QCoro::Task<>()> &start);

namespace task_detail {
struct ScopeState {
    bool ended = false;
};
} // namespace task_detail

// Owns every task started for `root` or an object under it. Declared last in its owner, it is
// destroyed first: each of its tasks still waiting is unwound there and then (TaskCancelled),
// while everything their frames use still exists, and none starts after.
class TaskScope {
public:
    explicit TaskScope(QObject *root);
    ~TaskScope();
    TaskScope(const TaskScope &) = delete;
    TaskScope &operator=(const TaskScope &) = delete;

    [[nodiscard]] QObject *root() const { return m_root; }

private:
    QObject *m_root;
    std::shared_ptr<task_detail::ScopeState> m_state;
};

// Holds an object that a task's frame made (a socket, a timer, a Wakeup) and deletes it later,
// from the event loop, however the frame ends: returned, thrown, or unwound because its task was
// cancelled. An object that its parent deleted first is left alone.
template <typename T>
class FrameOwned {
public:
    explicit FrameOwned(T *object) : m_object(object) {}
    ~FrameOwned() { release(); }
    FrameOwned(const FrameOwned &) = delete;
    FrameOwned &operator=(const FrameOwned &) = delete;

    [[nodiscard]] T *get() const { return m_object.data(); }
    T *operator->() const { return m_object.data(); }
    // Deletes the object held now (later) and holds `object` instead.
    void reset(T *object)
    {
        release();
        m_object = object;
    }
    // Gives the object up to whoever keeps it from now on.
    [[nodiscard]] T *take() { return std::exchange(m_object, nullptr).data(); }

private:
    void release()
    {
        if (m_object)
            m_object->deleteLater();
    }

    QPointer<T> m_object;
};

namespace task_detail {

// Which started task a piece of code belongs to.
struct TaskTag {
    QPointer<QObject> owner;
    const char *name;
    std::shared_ptr<ScopeState> scope; // none for a task started outside every scope
};

// Whether a task that is about to resume must be unwound instead.
[[nodiscard]] bool isCancelled(const TaskTag &task);

// Unwinds, now, every task of `scope` that waits on a Wakeup (base/Wakeup.cpp).
void unwindWaitsOf(const ScopeState *scope);

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
