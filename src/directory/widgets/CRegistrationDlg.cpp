#include "directory/widgets/CRegistrationDlg.h"

#include "base/Limits.h"
#include "directory/UserInfo.h"
#include "resources/ResourceCatalogue.h"
#include "widgetkit/Pictures.h"

#include "ui_CRegistrationDlg.h"

namespace quibo {

CRegistrationDlg::CRegistrationDlg(QWidget *parent)
    : FormDialog(parent), m_ui(std::make_unique<Ui::CRegistrationDlg>())
{
    m_ui->setupUi(this);
    // Past the two buttons at the head of the tab order, onto the handle.
    setFocusStepsOnShow(2);
    m_ui->registerButton->setFocus(); // where a fresh dialog starts
    m_ui->picture->setPixmap(
        pictures::pixmap(res::RegistrationPicture, m_ui->picture->minimumSize(), devicePixelRatioF()));

    m_edits = {m_ui->handle, m_ui->password, m_ui->firstName, m_ui->lastName, m_ui->email,       m_ui->city,
               m_ui->state,  m_ui->country,  m_ui->sex,       m_ui->age,      m_ui->personalInfo};
    m_ui->handle->setValidator(new Utf8LimitValidator(limits::HandleBytes, m_ui->handle));
    for (qsizetype i = 0; i < m_edits.size(); ++i) {
        if (i > 0)
            m_edits[i]->setValidator(new Utf8LimitValidator(
                userInfoFields.at(static_cast<std::size_t>(i - 1)).maxBytes, m_edits[i]));
        connect(m_edits[i], &QLineEdit::textChanged, this, [this, i](const QString &text) {
            if (i < m_bindings.size())
                *m_bindings[i] = text;
        });
    }
    connect(m_ui->registerButton, &QPushButton::clicked, this,
            [this] { Q_EMIT buttonPressed(RegistrationUi::RegisterButton); });
    connect(m_ui->cancelButton, &QPushButton::clicked, this,
            [this] { Q_EMIT buttonPressed(RegistrationUi::CancelButton); });
}

CRegistrationDlg::~CRegistrationDlg() = default;

void CRegistrationDlg::setFields(RegistrationFields &fields)
{
    m_bindings = {&fields.handle};
    for (const UserInfoField &field : userInfoFields)
        m_bindings.append(&(fields.info.*field.member));
    refresh();
}

void CRegistrationDlg::refresh()
{
    for (qsizetype i = 0; i < m_bindings.size(); ++i) {
        const QString value = *m_bindings[i];
        m_edits[i]->setText(value);
    }
}

void CRegistrationDlg::setButtonsEnabled(bool enabled)
{
    m_ui->registerButton->setEnabled(enabled);
    m_ui->cancelButton->setEnabled(enabled);
}

QList<std::pair<QString, QLineEdit *>> CRegistrationDlg::labelledEdits() const
{
    const QLabel *labels[] = {m_ui->handleLabel,   m_ui->passwordLabel,    m_ui->firstNameLabel,
                              m_ui->lastNameLabel, m_ui->emailLabel,       m_ui->cityLabel,
                              m_ui->stateLabel,    m_ui->countryLabel,     m_ui->sexLabel,
                              m_ui->ageLabel,      m_ui->personalInfoLabel};
    QList<std::pair<QString, QLineEdit *>> result;
    for (qsizetype i = 0; i < m_edits.size(); ++i)
        result.append({labels[i]->text(), m_edits[i]});
    return result;
}

} // namespace quibo
