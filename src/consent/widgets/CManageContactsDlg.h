#pragma once

#include "ports/ConsentUi.h"
#include "widgetkit/FormDialog.h"

#include <memory>

class QTreeWidget;

namespace Ui {
class CManageContactsDlg;
}

namespace quibo {

// "Quibo32 Manage Contact List": every contact with its online or offline image. A click
// remembers the selection in the fields; Enter in the list closes the window.
class CManageContactsDlg : public FormDialog {
    Q_OBJECT
public:
    explicit CManageContactsDlg(QWidget *parent = nullptr);
    ~CManageContactsDlg() override;

    // Shows `fields` and writes the selection into them. They must outlive the dialog.
    void setFields(ManageContactsFields &fields);
    void refresh() override;
    void setButtonsEnabled(bool enabled) override;

    [[nodiscard]] QTreeWidget *list() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void rememberSelection();

    std::unique_ptr<Ui::CManageContactsDlg> m_ui;
    ManageContactsFields *m_fields = nullptr;
};

} // namespace quibo
