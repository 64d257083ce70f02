#include "platform/widgets/QtProcessControl.h"

#include <QCoreApplication>

namespace quibo {

void QtProcessControl::exitProcess(int code)
{
    // Queued, so the caller's stack (often a dialog's handler) unwinds first.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [code] { QCoreApplication::exit(code); }, Qt::QueuedConnection);
}

} // namespace quibo
