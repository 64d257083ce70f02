#include "base/Await.h"

#include "base/Wakeup.h"

#include <QTimer>

namespace quibo {

QCoro::Task<> sleepFor(QObject *context, std::chrono::milliseconds duration)
{
    auto *timer = new QTimer(context);
    timer->setSingleShot(true);
    timer->start(duration);
    co_await nextSignal(timer, &QTimer::timeout);
    timer->deleteLater();
}

} // namespace quibo
