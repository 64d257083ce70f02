#pragma once

#include "messaging/widgets/MessageDialog.h"
#include "ports/MessageUi.h"

#include <memory>

class QPlainTextEdit;

namespace Ui {
class CReceivedMessageDlg;
}

namespace quibo {

// "Quibo32 - Received Message": the sender, the read-only message, "&OK" and "&Reply".
class CReceivedMessageDlg : public MessageDialog {
    Q_OBJECT
public:
    explicit CReceivedMessageDlg(QWidget *parent = nullptr);
    ~CReceivedMessageDlg() override;

    void bind(ReceivedMessageFields &fields);
    void showFields() override;
    void setButtonsEnabled(bool enabled) override;

    [[nodiscard]] QPlainTextEdit *messageEdit() const;
    [[nodiscard]] QString shownFrom() const;

protected:
    void unbind() override { m_fields = nullptr; }

private:
    std::unique_ptr<Ui::CReceivedMessageDlg> m_ui;
    ReceivedMessageFields *m_fields = nullptr;
};

} // namespace quibo
