#pragma once

#include "ports/TransferUi.h"
#include "transfer/widgets/TransferDialogs.h"

#include <QFileDialog>
#include <QPointer>

class QWidget;

namespace quibo {

// The progress window of one download, over the one CReceivingFileDlg of the run.
class WidgetReceivingView : public ReceivingView {
    Q_OBJECT
public:
    explicit WidgetReceivingView(CReceivingFileDlg &dialog);
    void setFile(QString fileName, QString totalText) override;
    void setProgress(qint64 received, qint64 total) override;
    void setRetrying(int attempt) override;
    void finish() override;
    [[nodiscard]] bool isOpen() const override { return m_dialog && m_dialog->isVisible(); }

private:
    QPointer<CReceivingFileDlg> m_dialog;
};

// File transfer's windows: the two file choosers (QFileDialog, opened without blocking) and
// the three dialogs, one object each for the run.
class WidgetTransferUi : public QObject, public TransferUi {
    Q_OBJECT
public:
    explicit WidgetTransferUi(QWidget *mainWindow = nullptr);
    ~WidgetTransferUi() override;

    QCoro::Task<std::optional<QString>> chooseFileToSend(DialogOwner owner) override;
    QCoro::Task<std::optional<QString>> chooseSaveFile(QString suggestedName) override;
    QCoro::Task<> showFileBeingSent(DialogOwner owner, QString notice) override;
    QCoro::Task<bool> askReceiveFile(QString from, QString fileName, QString sizeText) override;
    QCoro::Task<bool> askResumeFile(QString fileName, QString partPath, QString heldText,
                                    QString sizeText) override;
    std::unique_ptr<ReceivingView> openReceivingFile() override;

    CSendFileDlg &sendDialog() { return *m_send; }
    CReceiveFileDlg &receiveDialog() { return *m_receive; }
    CReceivingFileDlg &receivingDialog() { return *m_receiving; }

private:
    QCoro::Task<std::optional<QString>> choose(QFileDialog *dialog, DialogOwner owner);
    QCoro::Task<bool> showUntilClosed(QDialog &dialog, DialogOwner owner);

    QPointer<QWidget> m_mainWindow;
    QPointer<CSendFileDlg> m_send;
    QPointer<CReceiveFileDlg> m_receive;
    QPointer<CReceivingFileDlg> m_receiving;
    // Every chooser now open: Send File's and a file offer's Save As can be open at once.
    QList<QPointer<QFileDialog>> m_choosers;
};

} // namespace quibo
