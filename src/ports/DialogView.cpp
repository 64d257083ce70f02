#include "ports/DialogView.h"

#include "base/Wakeup.h"

#include <memory>

namespace quibo {

QCoro::Task<int> nextAction(DialogView &view)
{
    if (!view.isOpen())
        co_return DialogView::Closed;
    // The first action wins; clicks that come before the task resumes are dropped, as a busy
    // dialog drops them.
    auto *wakeup = new Wakeup(&view);
    // Shared, not on the frame: the connection must never write into a frame that has gone.
    auto chosen = std::make_shared<int>(DialogView::Closed);
    const QMetaObject::Connection connection =
        QObject::connect(&view, &DialogView::action, wakeup, [wakeup, chosen](int controlId) {
            if (!wakeup->isPending())
                *chosen = controlId;
            wakeup->wake();
        });
    co_await wakeup->next();
    QObject::disconnect(connection);
    wakeup->deleteLater();
    co_return *chosen;
}

} // namespace quibo
