#pragma once

#include "ports/ConsentUi.h"
#include "widgetkit/FormDialog.h"

#include <memory>

class QLineEdit;

namespace Ui {
class CAddContactDlg;
}

namespace quibo {

// "Quibo32 - Add Contact": the handle to add. Enter in the edit does nothing; "&OK" adds.
class CAddContactDlg : public FormDialog {
    Q_OBJECT
public:
    explicit CAddContactDlg(QWidget *parent = nullptr);
    ~CAddContactDlg() override;

    // Shows `fields` and writes the name into them. They must outlive the dialog.
    void setFields(AddContactFields &fields);
    void refresh() override;
    void setButtonsEnabled(bool enabled) override;

    [[nodiscard]] QLineEdit *nameEdit() const;

private:
    std::unique_ptr<Ui::CAddContactDlg> m_ui;
    AddContactFields *m_fields = nullptr;
};

} // namespace quibo
