#pragma once

#include "ports/RegistrationUi.h"
#include "widgetkit/FormDialog.h"

#include <QList>

#include <memory>

class QLineEdit;

namespace Ui {
class CChangeInfoDlg;
}

namespace quibo {

// "Quibo32 - Change Your Info": the user info but the password, which rides along hidden and
// unchanged; the handle and the own address are shown read-only.
class CChangeInfoDlg : public FormDialog {
    Q_OBJECT
public:
    explicit CChangeInfoDlg(QWidget *parent = nullptr);
    ~CChangeInfoDlg() override;

    // Shows `fields` and writes every edit of fields 2 to 10 into them. They must outlive the dialog.
    void setFields(ChangeInfoFields &fields);
    void refresh() override;
    void setButtonsEnabled(bool enabled) override;

    [[nodiscard]] QLineEdit *handleEdit() const;
    [[nodiscard]] QLineEdit *addressEdit() const;
    [[nodiscard]] QLineEdit *passwordCarrier() const;
    // Fields 2 to 10 in line order.
    [[nodiscard]] QList<QLineEdit *> infoEdits() const { return m_edits; }

private:
    std::unique_ptr<Ui::CChangeInfoDlg> m_ui;
    ChangeInfoFields *m_fields = nullptr;
    QList<QLineEdit *> m_edits;
};

} // namespace quibo
