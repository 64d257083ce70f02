#pragma once

#include "widgetkit/QuiboDialog.h"

#include <memory>

namespace Ui {
class CAboutDlg;
}

namespace quibo {

// The About box: the program and its version.
class CAboutDlg : public QuiboDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget *parent = nullptr);
    ~CAboutDlg() override;

private:
    std::unique_ptr<Ui::CAboutDlg> m_ui;
};

} // namespace quibo
