#include "directory/widgets/CChangeInfoDlg.h"

#include "directory/UserInfo.h"

#include "ui_CChangeInfoDlg.h"

namespace quibo {

CChangeInfoDlg::CChangeInfoDlg(QWidget *parent)
    : FormDialog(parent), m_ui(std::make_unique<Ui::CChangeInfoDlg>())
{
    m_ui->setupUi(this);
    // Past the two buttons at the head of the tab order, onto the first name.
    setFocusStepsOnShow(2);
    m_ui->changeButton->setFocus(); // where a fresh dialog starts
    m_edits = {m_ui->firstName, m_ui->lastName, m_ui->email, m_ui->city,        m_ui->state,
               m_ui->country,   m_ui->sex,      m_ui->age,   m_ui->personalInfo};
    for (qsizetype i = 0; i < m_edits.size(); ++i) {
        const UserInfoField &field = userInfoFields.at(static_cast<std::size_t>(i + 1));
        m_edits[i]->setValidator(new Utf8LimitValidator(field.maxBytes, m_edits[i]));
        connect(m_edits[i], &QLineEdit::textChanged, this,
                [this, member = field.member](const QString &text) {
                    if (m_fields)
                        m_fields->info.*member = text;
                });
    }
    connect(m_ui->changeButton, &QPushButton::clicked, this,
            [this] { Q_EMIT buttonPressed(RegistrationUi::ChangeButton); });
    connect(m_ui->cancelButton, &QPushButton::clicked, this,
            [this] { Q_EMIT buttonPressed(RegistrationUi::CancelButton); });
}

CChangeInfoDlg::~CChangeInfoDlg() = default;

void CChangeInfoDlg::setFields(ChangeInfoFields &fields)
{
    m_fields = &fields;
    refresh();
}

void CChangeInfoDlg::refresh()
{
    if (!m_fields)
        return;
    const ChangeInfoFields shown = *m_fields;
    m_ui->handle->setText(shown.handle);
    m_ui->address->setText(shown.address);
    m_ui->password->setText(shown.info.password);
    for (qsizetype i = 0; i < m_edits.size(); ++i)
        m_edits[i]->setText(shown.info.*userInfoFields.at(static_cast<std::size_t>(i + 1)).member);
}

void CChangeInfoDlg::setButtonsEnabled(bool enabled)
{
    m_ui->changeButton->setEnabled(enabled);
    m_ui->cancelButton->setEnabled(enabled);
}

QLineEdit *CChangeInfoDlg::handleEdit() const
{
    return m_ui->handle;
}

QLineEdit *CChangeInfoDlg::addressEdit() const
{
    return m_ui->address;
}

QLineEdit *CChangeInfoDlg::passwordCarrier() const
{
    return m_ui->password;
}

} // namespace quibo
