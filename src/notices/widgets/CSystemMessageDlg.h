#pragma once

#include "widgetkit/QuiboDialog.h"

#include <memory>

namespace Ui {
class CSystemMessageDlg;
}

namespace quibo {

// The message box: two centred lines and "&OK". An empty second line is not shown.
class CSystemMessageDlg : public QuiboDialog {
    Q_OBJECT
public:
    explicit CSystemMessageDlg(QWidget *parent = nullptr);
    ~CSystemMessageDlg() override;

    void setLines(const QString &line1, const QString &line2);
    [[nodiscard]] QString line1() const { return m_line1; }
    [[nodiscard]] QString line2() const { return m_line2; }

private:
    std::unique_ptr<Ui::CSystemMessageDlg> m_ui;
    QString m_line1;
    QString m_line2;
};

} // namespace quibo
