#pragma once

#include <QCoro/QCoroTask>
#include <QObject>

#include <chrono>

namespace quibo {

// Waits `duration` on a timer owned by `context`. When the context is destroyed first, the
// waiting task is unwound instead of resumed, so it never wakes up inside a client that has gone.
QCoro::Task<> sleepFor(QObject *context, std::chrono::milliseconds duration);

} // namespace quibo
