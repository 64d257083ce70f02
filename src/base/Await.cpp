#include "base/Await.h"

#include "base/Wakeup.h"

#include <QTimer>

namespace quibo {

QCoro::Task<> sleepFor(QObject *context, std::chrono::milliseconds duration)
{
    const FrameOwned<QTimer> timer(new QTimer(context));
    timer->setSingleShot(true);
    timer->start(duration);
    co_await nextSignal(timer.get(), &QTimer::timeout);
}

} // namespace quibo
