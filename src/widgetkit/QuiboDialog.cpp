#include "widgetkit/QuiboDialog.h"

#include <QCoro/QCoroSignal>
#include <QPointer>
#include <QShowEvent>

namespace quibo {

namespace {
// Turns "finished or destroyed, whichever comes first" into one signal that lives as long
// as the waiting side needs it.
class CloseRelay : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    void fire()
    {
        if (m_fired)
            return;
        m_fired = true;
        Q_EMIT fired();
    }

Q_SIGNALS:
    void fired();

private:
    bool m_fired = false;
};
} // namespace

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
    QPointer<CloseRelay> relay = new CloseRelay(context);
    QObject::connect(dialog, &QDialog::finished, relay.data(), &CloseRelay::fire);
    QObject::connect(dialog, &QObject::destroyed, relay.data(), &CloseRelay::fire);
    co_await qCoro(relay.data(), &CloseRelay::fired);
    if (relay)
        relay->deleteLater();
}

} // namespace quibo

#include "QuiboDialog.moc"
