#include "widgetkit/FormDialog.h"

namespace quibo {

FormDialogView::FormDialogView(FormDialog *dialog) : m_dialog(dialog)
{
    connect(dialog, &FormDialog::buttonPressed, this, &DialogView::action);
    connect(dialog, &QDialog::finished, this, &FormDialogView::reportClosed);
    connect(dialog, &QObject::destroyed, this, &FormDialogView::reportClosed);
}

FormDialogView::~FormDialogView()
{
    if (m_dialog) {
        disconnect(m_dialog, nullptr, this, nullptr);
        delete m_dialog.data();
    }
}

void FormDialogView::close()
{
    if (m_dialog && m_dialog->isVisible())
        m_dialog->done(QDialog::Accepted);
    reportClosed();
}

bool FormDialogView::isOpen() const
{
    return !m_closedReported && m_dialog && m_dialog->isVisible();
}

void FormDialogView::refresh()
{
    if (m_dialog)
        m_dialog->refresh();
}

void FormDialogView::setButtonsEnabled(bool enabled)
{
    if (m_dialog)
        m_dialog->setButtonsEnabled(enabled);
}

void FormDialogView::bringForward()
{
    if (m_dialog)
        m_dialog->bringForward();
}

void FormDialogView::reportClosed()
{
    if (m_closedReported)
        return;
    m_closedReported = true;
    Q_EMIT action(Closed);
}

Utf8LimitValidator::Utf8LimitValidator(qsizetype maxBytes, QObject *parent)
    : QValidator(parent), m_maxBytes(maxBytes)
{
}

QValidator::State Utf8LimitValidator::validate(QString &input, int &position) const
{
    Q_UNUSED(position);
    return input.toUtf8().size() <= m_maxBytes ? Acceptable : Invalid;
}

} // namespace quibo
