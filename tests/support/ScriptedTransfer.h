#pragma once

#include "ports/TransferUi.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <optional>

namespace quibo::test {

// The progress window as the scripted user saw it; it outlives the window.
struct ReceivingRecord {
    QString totalText;
    QList<qint64> progress; // every received count shown
    bool finished = false;
    bool open = true;
};

class ScriptedReceivingView : public ReceivingView {
    Q_OBJECT
public:
    explicit ScriptedReceivingView(std::shared_ptr<ReceivingRecord> record) : m_record(std::move(record)) {}
    ~ScriptedReceivingView() override { m_record->open = false; }

    void setFile(QString, QString totalText) override { m_record->totalText = std::move(totalText); }
    void setProgress(qint64 received, qint64) override { m_record->progress.append(received); }
    void finish() override { m_record->finished = true; }
    [[nodiscard]] bool isOpen() const override { return m_record->open; }

private:
    std::shared_ptr<ReceivingRecord> m_record;
};

// The user's eyes and hands for file transfer. Each chooser and question takes the next
// answer of its script (none left: cancel, "&No"); the log has lines like
// "send file|anna Is Being Sent", "receive?|bob|report.doc|1234 Bytes" and "save as|report.doc".
class ScriptedTransfer : public QObject, public TransferUi {
    Q_OBJECT
public:
    QCoro::Task<std::optional<QString>> chooseFileToSend(DialogOwner owner) override;
    QCoro::Task<std::optional<QString>> chooseSaveFile(QString suggestedName) override;
    QCoro::Task<> showFileBeingSent(DialogOwner owner, QString notice) override;
    QCoro::Task<bool> askReceiveFile(QString from, QString fileName, QString sizeText) override;
    std::unique_ptr<ReceivingView> openReceivingFile() override;

    QList<std::optional<QString>> filesToSend; // full paths
    QString saveFolder;                        // where the save chooser saves, under the suggested name
    QList<bool> saveAnswers;                   // false: cancel
    QList<bool> receiveAnswers;                // true: "&Yes"
    QStringList log;
    QList<std::shared_ptr<ReceivingRecord>> downloads;
};

} // namespace quibo::test
