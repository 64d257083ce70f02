#pragma once

#include "ports/RegistrationUi.h"
#include "widgetkit/FormDialog.h"

#include <QList>

#include <memory>
#include <utility>

class QLineEdit;

namespace Ui {
class CRegistrationDlg;
}

namespace quibo {

// "Quibo32 - Registration": the handle, the ten fields of the user info, and "&Register",
// which the behaviour answers while the dialog stays open.
class CRegistrationDlg : public FormDialog {
    Q_OBJECT
public:
    explicit CRegistrationDlg(QWidget *parent = nullptr);
    ~CRegistrationDlg() override;

    // Shows `fields` and writes every edit into them. They must outlive the dialog.
    void setFields(RegistrationFields &fields);
    void refresh() override;
    void setButtonsEnabled(bool enabled) override;

    // The eleven edit boxes top to bottom, each with its label.
    [[nodiscard]] QList<std::pair<QString, QLineEdit *>> labelledEdits() const;

private:
    std::unique_ptr<Ui::CRegistrationDlg> m_ui;
    QList<QLineEdit *> m_edits;  // handle, then the info fields in line order
    QList<QString *> m_bindings; // where each edit writes, same order
};

} // namespace quibo
