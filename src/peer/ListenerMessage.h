#pragma once

#include <QCoro/QCoroTask>
#include <QString>

namespace quibo {

class Notices;

// The message box with which the listener answers a record, as an independent window;
// `withSound` starts the notification sound just before it. Completes when the user closes it.
QCoro::Task<> listenerMessage(Notices &notices, QString line1, QString line2, bool withSound);

} // namespace quibo
