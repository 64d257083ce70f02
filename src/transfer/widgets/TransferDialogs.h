#pragma once

#include "widgetkit/QuiboDialog.h"

#include <memory>

namespace Ui {
class CSendFileDlg;
class CReceiveFileDlg;
class CReceivingFileDlg;
} // namespace Ui

class QLabel;
class QProgressBar;
class QPushButton;

namespace quibo {

// "Quibo32 - Send File": the notice, closed with "&OK".
class CSendFileDlg : public QuiboDialog {
    Q_OBJECT
public:
    explicit CSendFileDlg(QWidget *parent = nullptr);
    ~CSendFileDlg() override;
    void setNotice(const QString &text);
    [[nodiscard]] QString notice() const;
    [[nodiscard]] QPushButton *okButton() const;

private:
    std::unique_ptr<Ui::CSendFileDlg> m_ui;
};

// "Quibo32 Receive File": who offers which file of what size; "&Yes" accepts, "&No", Esc and
// the close box decline.
class CReceiveFileDlg : public QuiboDialog {
    Q_OBJECT
public:
    explicit CReceiveFileDlg(QWidget *parent = nullptr);
    ~CReceiveFileDlg() override;
    void setTexts(const QString &from, const QString &fileName, const QString &sizeText);
    [[nodiscard]] QLabel *sizeLabel() const;
    [[nodiscard]] QPushButton *yesButton() const;
    [[nodiscard]] QPushButton *noButton() const;

private:
    std::unique_ptr<Ui::CReceiveFileDlg> m_ui;
};

// "Quibo32 - Receiving File ": the progress of one download. Its close box and Esc do
// nothing until finish() enables "DONE!".
class CReceivingFileDlg : public QuiboDialog {
    Q_OBJECT
public:
    static constexpr int BarSteps = 1000;

    explicit CReceivingFileDlg(QWidget *parent = nullptr);
    ~CReceivingFileDlg() override;
    void reset();
    void setFile(const QString &fileName, const QString &totalText);
    void setProgress(qint64 received, qint64 total);
    // The connection is tried again (`attempt` from 1), said in the title and the caption; 0
    // puts them back.
    void setRetrying(int attempt);
    void finish();
    [[nodiscard]] bool isFinished() const { return m_finished; }
    [[nodiscard]] QProgressBar *progressBar() const;
    [[nodiscard]] QString receivedText() const;
    [[nodiscard]] QPushButton *okButton() const;

protected:
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

private:
    std::unique_ptr<Ui::CReceivingFileDlg> m_ui;
    bool m_finished = false;
};

} // namespace quibo
