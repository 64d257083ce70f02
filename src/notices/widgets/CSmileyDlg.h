#pragma once

#include "notices/widgets/PopupDialog.h"
#include "ports/Smiley.h"

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
    explicit CSmileyDlg(Smiley smiley, QWidget *parent = nullptr);
    ~CSmileyDlg() override;

    [[nodiscard]] Smiley smiley() const { return m_smiley; }
    void setFromName(const QString &name);
    [[nodiscard]] QString fromName() const { return m_fromName; }

private:
    std::unique_ptr<Ui::CSmileyDlg> m_ui;
    Smiley m_smiley;
    QString m_fromName;
};

} // namespace quibo
