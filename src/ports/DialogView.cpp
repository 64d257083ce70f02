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
    const FrameOwned<Wakeup> wakeup(new Wakeup(&view));
    // Shared, not on the frame: the connection must never write into a frame that has gone.
    auto chosen = std::make_shared<int>(DialogView::Closed);
    const QMetaObject::Connection connection =
        QObject::connect(&view, &DialogView::action, wakeup.get(), [waker = wakeup.get(), chosen](int controlId) {
            if (!waker->isPending())
                *chosen = controlId;
            waker->wake();
        });
    co_await wakeup->next();
    QObject::disconnect(connection);
    co_return *chosen;
}

} // namespace quibo
