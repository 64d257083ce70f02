#pragma once

#include "ports/DialogOwner.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

namespace quibo {

// The progress window of one download ("Quibo32 - Receiving File "). Its title bar's close is
// ignored until finish() enables "DONE!".
class ReceivingView : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // The file name and the total bytes, as offered.
    virtual void setFile(QString fileName, QString totalText) = 0;
    // Bytes received so far; the bar shows received / total (full when total is 0).
    virtual void setProgress(qint64 received, qint64 total) = 0;
    // The connection broke and is tried again (`attempt` from 1), or, with 0, answered again.
    virtual void setRetrying(int attempt) = 0;
    // Title "Quibo32 - Receive File - DONE!", button "DONE!" enabled.
    virtual void finish() = 0;
    [[nodiscard]] virtual bool isOpen() const = 0;

Q_SIGNALS:
    void closed();
};

// File transfer as the user sees it: the two file choosers and the three windows.
class TransferUi {
public:
    virtual ~TransferUi() = default;

    // "Select File To Send": the chosen file's full path, or nothing when cancelled.
    virtual QCoro::Task<std::optional<QString>> chooseFileToSend(DialogOwner owner) = 0;
    // "Quibo32 - Save File As", starting with `suggestedName`: the chosen path, or nothing.
    virtual QCoro::Task<std::optional<QString>> chooseSaveFile(QString suggestedName) = 0;
    // "Quibo32 - Send File" with `notice`; completes at "&OK".
    virtual QCoro::Task<> showFileBeingSent(DialogOwner owner, QString notice) = 0;
    // "Quibo32 Receive File": true for "&Yes".
    virtual QCoro::Task<bool> askReceiveFile(QString from, QString fileName, QString sizeText) = 0;
    // "Quibo32 Resume File": a part of the offered file is at `partPath` already; true to go on
    // from it ("&Yes"), false to choose where to save it whole.
    virtual QCoro::Task<bool> askResumeFile(QString fileName, QString partPath, QString heldText,
                                            QString sizeText) = 0;
    // Opens the progress window with its texts empty.
    virtual std::unique_ptr<ReceivingView> openReceivingFile() = 0;
};

} // namespace quibo
