#include "app/widgets/CConnectDlg.h"

#include "resources/ResourceCatalogue.h"
#include "widgetkit/Pictures.h"

#include "ui_CConnectDlg.h"

#include <QWindowStateChangeEvent>

namespace quibo {

CConnectDlg::CConnectDlg(QWidget *parent) : QuiboDialog(parent), m_ui(std::make_unique<Ui::CConnectDlg>())
{
    m_ui->setupUi(this);
    // A dialog that stands for the program in the task bar needs a minimise button.
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
    setWindowIcon(pictures::icon(res::ProgramIcon));
    m_ui->picture->setPixmap(
        pictures::pixmap(res::StartupPicture, m_ui->picture->minimumSize(), devicePixelRatioF()));
    connect(m_ui->connectButton, &QPushButton::clicked, this, &CConnectDlg::connectClicked);
}

CConnectDlg::~CConnectDlg() = default;

void CConnectDlg::setPrompt(const QString &prompt)
{
    m_prompt = prompt;
    m_ui->prompt->setText(prompt);
}

void CConnectDlg::setConnectEnabled(bool enabled)
{
    m_ui->connectButton->setEnabled(enabled);
}

void CConnectDlg::changeEvent(QEvent *event)
{
    QuiboDialog::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const auto *change = static_cast<QWindowStateChangeEvent *>(event);
    if ((change->oldState() & Qt::WindowMinimized) && !(windowState() & Qt::WindowMinimized))
        Q_EMIT restoredFromMinimized();
}

} // namespace quibo
