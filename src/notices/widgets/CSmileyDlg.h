#pragma once

#include "notices/widgets/PopupDialog.h"

#include <memory>

namespace Ui {
class CSmileyDlg;
}

namespace quibo {

// A smiley popup: the picture, "From" and the sender's name. Enter does not close it
// (its default button is a hidden one that does nothing); "&OK" and Esc do.
class CSmileyDlg : public PopupDialog {
    Q_OBJECT
public:
    // Named "smiley<dialogId>".
    explicit CSmileyDlg(int dialogId, QWidget *parent = nullptr);
    ~CSmileyDlg() override;

    void setFromName(const QString &name);
    [[nodiscard]] QString fromName() const { return m_fromName; }

private:
    std::unique_ptr<Ui::CSmileyDlg> m_ui;
    QString m_fromName;
};

} // namespace quibo
