#include "ports/DialogView.h"

#include "base/Wakeup.h"

namespace quibo {

QCoro::Task<int> nextAction(DialogView &view)
{
    if (!view.isOpen())
        co_return DialogView::Closed;
    // The first action wins; clicks that come before the task resumes are dropped, as a busy
    // dialog drops them.
    auto *wakeup = new Wakeup(&view);
    int chosen = DialogView::Closed;
    const QMetaObject::Connection connection =
        QObject::connect(&view, &DialogView::action, wakeup, [wakeup, &chosen](int controlId) {
            if (!wakeup->isPending())
                chosen = controlId;
            wakeup->wake();
        });
    co_await wakeup->next();
    QObject::disconnect(connection);
    wakeup->deleteLater();
    co_return chosen;
}

} // namespace quibo
