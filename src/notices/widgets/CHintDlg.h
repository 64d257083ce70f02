#pragma once

#include "widgetkit/QuiboDialog.h"

#include <memory>

namespace Ui {
class CHintDlg;
}

namespace quibo {

// The one-time hint after registration: how to try the program with LoopBack.
class CHintDlg : public QuiboDialog {
    Q_OBJECT
public:
    explicit CHintDlg(QWidget *parent = nullptr);
    ~CHintDlg() override;

private:
    std::unique_ptr<Ui::CHintDlg> m_ui;
};

} // namespace quibo
