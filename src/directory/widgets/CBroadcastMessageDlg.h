#pragma once

#include "ports/BroadcastUi.h"
#include "widgetkit/QuiboDialog.h"

#include <memory>

namespace Ui {
class CBroadcastMessageDlg;
}

namespace quibo {

// The directory's broadcast message: five one-line texts and "OK".
class CBroadcastMessageDlg : public QuiboDialog {
    Q_OBJECT
public:
    explicit CBroadcastMessageDlg(QWidget *parent = nullptr);
    ~CBroadcastMessageDlg() override;

    void setFields(const BroadcastMessageFields &fields);
    [[nodiscard]] QStringList shownLines() const;

private:
    std::unique_ptr<Ui::CBroadcastMessageDlg> m_ui;
};

} // namespace quibo
