#include "app/widgets/WidgetConnectUi.h"

#include "app/widgets/CConnectDlg.h"

namespace quibo {

ConnectDialogView::ConnectDialogView(CConnectDlg *dialog) : m_dialog(dialog)
{
    connect(dialog, &CConnectDlg::connectClicked, this, &ConnectView::connectClicked);
    connect(dialog, &CConnectDlg::restoredFromMinimized, this, &ConnectView::restored);
    connect(dialog, &QDialog::finished, this, &ConnectView::closed);
}

ConnectDialogView::~ConnectDialogView()
{
    if (m_dialog) {
        disconnect(m_dialog, nullptr, this, nullptr);
        delete m_dialog.data();
    }
}

void ConnectDialogView::setPrompt(const QString &prompt)
{
    if (m_dialog)
        m_dialog->setPrompt(prompt);
}

void ConnectDialogView::setConnectEnabled(bool enabled)
{
    if (m_dialog)
        m_dialog->setConnectEnabled(enabled);
}

void ConnectDialogView::minimize()
{
    if (m_dialog)
        m_dialog->showMinimized();
}

void ConnectDialogView::activate()
{
    if (!m_dialog)
        return;
    m_dialog->activateWindow();
    m_dialog->setFocus();
}

std::unique_ptr<ConnectView> WidgetConnectUi::openConnectDialog()
{
    auto *dialog = new CConnectDlg;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return std::make_unique<ConnectDialogView>(dialog);
}

} // namespace quibo
