#include "app/Await.h"

#include <QCoro/QCoroSignal>
#include <QTimer>

namespace quibo {

QCoro::Task<> sleepFor(QObject *context, std::chrono::milliseconds duration)
{
    auto *timer = new QTimer(context);
    timer->setSingleShot(true);
    timer->start(duration);
    co_await qCoro(timer, &QTimer::timeout);
    timer->deleteLater();
}

} // namespace quibo
