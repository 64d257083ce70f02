#pragma once

#include "widgetkit/QuiboDialog.h"

#include <QStringList>

#include <memory>

namespace Ui {
class CHandleInUseDlg;
}

namespace quibo {

// Tells the user that the handle is taken and how to pick another one.
class CHandleInUseDlg : public QuiboDialog {
    Q_OBJECT
public:
    explicit CHandleInUseDlg(QWidget *parent = nullptr);
    ~CHandleInUseDlg() override;

    [[nodiscard]] QStringList lines() const;

private:
    std::unique_ptr<Ui::CHandleInUseDlg> m_ui;
};

} // namespace quibo
