#pragma once

#include "widgetkit/QuiboDialog.h"

#include <memory>

namespace Ui {
class CConnectDlg;
}

namespace quibo {

// The start-up dialog: the picture, the prompt and "&Connect".
class CConnectDlg : public QuiboDialog {
    Q_OBJECT
public:
    explicit CConnectDlg(QWidget *parent = nullptr);
    ~CConnectDlg() override;

    void setPrompt(const QString &prompt);
    [[nodiscard]] QString prompt() const { return m_prompt; }
    void setConnectEnabled(bool enabled);

Q_SIGNALS:
    void connectClicked();
    // Brought back from minimised (from the task bar).
    void restoredFromMinimized();

protected:
    void changeEvent(QEvent *event) override;

private:
    std::unique_ptr<Ui::CConnectDlg> m_ui;
    QString m_prompt;
};

} // namespace quibo
