#pragma once

#include "notices/widgets/PopupDialog.h"

#include <memory>

namespace Ui {
class CSendingDlg;
}

namespace quibo {

// "Sending ...": a small window without a caption whose animation closes it by itself.
class CSendingDlg : public PopupDialog {
    Q_OBJECT
public:
    explicit CSendingDlg(QWidget *parent = nullptr);
    ~CSendingDlg() override;

private:
    std::unique_ptr<Ui::CSendingDlg> m_ui;
};

} // namespace quibo
