#include "RunTask.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

namespace quibo::test {

void TaskEnd::reached()
{
    ended = true;
    if (loop)
        loop->quit();
}

void TaskEnd::threw(const std::exception &error)
{
    ADD_FAILURE() << "the task threw: " << error.what();
    threwError = true;
    reached();
}

bool runUntil(const std::shared_ptr<TaskEnd> &end, std::chrono::milliseconds limit)
{
    if (!end->ended) {
        QEventLoop loop;
        end->loop = &loop;
        QTimer::singleShot(limit, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!end->ended)
        ADD_FAILURE() << "the task was still running after " << limit.count() << " ms";
    return end->ended && !end->threwError;
}

} // namespace quibo::test
