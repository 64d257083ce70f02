#include "consent/widgets/CAddContactDlg.h"

#include "base/Limits.h"

#include "ui_CAddContactDlg.h"

namespace quibo {

CAddContactDlg::CAddContactDlg(QWidget *parent)
    : FormDialog(parent), m_ui(std::make_unique<Ui::CAddContactDlg>())
{
    m_ui->setupUi(this);
    m_ui->contactName->setFocus(); // where the keyboard rests when it opens
    m_ui->contactName->setValidator(new Utf8LimitValidator(limits::HandleBytes, m_ui->contactName));
    connect(m_ui->contactName, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (m_fields)
            m_fields->m_contactName = text;
    });
    connect(m_ui->okButton, &QPushButton::clicked, this,
            [this] { Q_EMIT buttonPressed(ConsentUi::OkButton); });
    connect(m_ui->cancelButton, &QPushButton::clicked, this,
            [this] { Q_EMIT buttonPressed(ConsentUi::CancelButton); });
}

CAddContactDlg::~CAddContactDlg() = default;

void CAddContactDlg::setFields(AddContactFields &fields)
{
    m_fields = &fields;
    refresh();
}

void CAddContactDlg::refresh()
{
    if (!m_fields)
        return;
    const AddContactFields shown = *m_fields;
    m_ui->contactName->setText(shown.m_contactName);
    m_ui->status->setText(shown.m_status);
}

void CAddContactDlg::setButtonsEnabled(bool enabled)
{
    m_ui->okButton->setEnabled(enabled);
    m_ui->cancelButton->setEnabled(enabled);
}

QLineEdit *CAddContactDlg::nameEdit() const
{
    return m_ui->contactName;
}

} // namespace quibo
