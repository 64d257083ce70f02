#include "ui/DialogView.h"

#include <QCoro/QCoroSignal>

namespace quibo {

QCoro::Task<int> nextAction(DialogView &view)
{
    if (!view.isOpen())
        co_return DialogView::Closed;
    co_return co_await qCoro(&view, &DialogView::action);
}

} // namespace quibo
