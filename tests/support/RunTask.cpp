#include "RunTask.h"

#include <QEventLoop>
#include <QTimer>

namespace quibo::test {

bool runLoopUntil(const std::shared_ptr<bool> &ended, std::chrono::milliseconds limit)
{
    if (!*ended) {
        QEventLoop loop;
        QTimer check; // a task ends inside some other event: look after each
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

} // namespace quibo::test
