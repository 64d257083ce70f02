#include "widgetkit/QuiboDialog.h"

#include "base/Wakeup.h"

#include <QShowEvent>

namespace quibo {

QuiboDialog::QuiboDialog(QWidget *parent, Qt::WindowFlags flags) : QDialog(parent, flags)
{
}

void QuiboDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous() || m_focusSteps <= 0)
        return;
    // Queued, so it runs after QDialog has placed the initial focus.
    QMetaObject::invokeMethod(
        this,
        [this] {
            for (int i = 0; i < m_focusSteps; ++i)
                focusNextChild();
        },
        Qt::QueuedConnection);
}

void placeDialog(QDialog &dialog, DialogOwner owner, QWidget *mainWindow)
{
    QWidget *parent = owner == DialogOwner::MainWindow ? mainWindow : nullptr;
    if (dialog.parentWidget() != parent)
        dialog.setParent(parent, dialog.windowFlags() | Qt::Dialog);
    dialog.setWindowModality(parent ? Qt::WindowModal : Qt::NonModal);
}

QCoro::Task<> untilClosed(QObject *context, QDialog *dialog)
{
    if (!dialog || !dialog->isVisible())
        co_return;
    // Owned by `context`, not the dialog: the wait must outlive a dialog deleted on close.
    const FrameOwned<Wakeup> closed(new Wakeup(context));
    QObject::connect(dialog, &QDialog::finished, closed.get(), &Wakeup::wake);
    QObject::connect(dialog, &QObject::destroyed, closed.get(), &Wakeup::wake);
    co_await closed->next();
}

void QuiboDialog::bringForward()
{
    if (!isVisible())
        return;
    showNormal();
    raise();
    activateWindow();
}

} // namespace quibo
