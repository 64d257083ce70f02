#pragma once

#include "ports/ConsentUi.h"
#include "widgetkit/FormDialog.h"

#include <QStringList>

#include <memory>

namespace Ui {
class CRequestToAddDlg;
}

namespace quibo {

// "Quibo32 - Request To Add": asks whether to add the stranger who announced itself.
class CRequestToAddDlg : public FormDialog {
    Q_OBJECT
public:
    explicit CRequestToAddDlg(QWidget *parent = nullptr);
    ~CRequestToAddDlg() override;

    void setFields(RequestToAddFields &fields);
    void refresh() override;
    void setButtonsEnabled(bool enabled) override;

    // The four lines as shown.
    [[nodiscard]] QStringList lines() const;

private:
    std::unique_ptr<Ui::CRequestToAddDlg> m_ui;
    RequestToAddFields *m_fields = nullptr;
};

} // namespace quibo
