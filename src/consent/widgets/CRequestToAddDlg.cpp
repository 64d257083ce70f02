#include "consent/widgets/CRequestToAddDlg.h"

#include "ui_CRequestToAddDlg.h"

namespace quibo {

CRequestToAddDlg::CRequestToAddDlg(QWidget *parent)
    : FormDialog(parent), m_ui(std::make_unique<Ui::CRequestToAddDlg>())
{
    m_ui->setupUi(this);
    connect(m_ui->yesButton, &QPushButton::clicked, this,
            [this] { Q_EMIT buttonPressed(ConsentUi::YesButton); });
    connect(m_ui->noButton, &QPushButton::clicked, this,
            [this] { Q_EMIT buttonPressed(ConsentUi::NoButton); });
}

CRequestToAddDlg::~CRequestToAddDlg() = default;

void CRequestToAddDlg::setFields(RequestToAddFields &fields)
{
    m_fields = &fields;
    refresh();
}

void CRequestToAddDlg::refresh()
{
    if (m_fields)
        m_ui->from->setText(m_fields->m_from);
}

void CRequestToAddDlg::setButtonsEnabled(bool enabled)
{
    m_ui->yesButton->setEnabled(enabled);
    m_ui->noButton->setEnabled(enabled);
}

QStringList CRequestToAddDlg::lines() const
{
    return {m_ui->requestFrom->text(), m_ui->from->text(), m_ui->question1->text(), m_ui->question2->text()};
}

} // namespace quibo
