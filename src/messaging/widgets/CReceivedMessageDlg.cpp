#include "messaging/widgets/CReceivedMessageDlg.h"

#include "messaging/widgets/CSendMessageDlg.h"
#include "resources/ResourceCatalogue.h"
#include "widgetkit/Pictures.h"

#include "ui_CReceivedMessageDlg.h"

namespace quibo {

CReceivedMessageDlg::CReceivedMessageDlg(QWidget *parent)
    : MessageDialog(parent), m_ui(std::make_unique<Ui::CReceivedMessageDlg>())
{
    m_ui->setupUi(this);
    m_ui->picture->setPixmap(
        pictures::pixmap(res::MessageDialogPicture, m_ui->picture->minimumSize(), devicePixelRatioF()));
    setFirstControl(m_ui->okButton);
    // Esc and the close box close it as "&OK" does; the hidden "&fake" default swallows Enter.
    setCancelControl(MessageUi::OkButton);
    reportClicks(m_ui->okButton, MessageUi::OkButton);
    reportClicks(m_ui->replyButton, MessageUi::ReplyButton);
}

CReceivedMessageDlg::~CReceivedMessageDlg() = default;

QPlainTextEdit *CReceivedMessageDlg::messageEdit() const
{
    return m_ui->message;
}

QString CReceivedMessageDlg::shownFrom() const
{
    return m_ui->from->text();
}

void CReceivedMessageDlg::bind(ReceivedMessageFields &fields)
{
    m_fields = &fields;
    showFields();
}

void CReceivedMessageDlg::showFields()
{
    if (!m_fields)
        return;
    m_ui->from->setText(m_fields->m_from);
    m_ui->message->setPlainText(CSendMessageDlg::toScreen(m_fields->m_message));
}

void CReceivedMessageDlg::setButtonsEnabled(bool enabled)
{
    m_ui->okButton->setEnabled(enabled);
    m_ui->replyButton->setEnabled(enabled);
}

} // namespace quibo
