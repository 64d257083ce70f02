#pragma once

#include "ports/TransferUi.h"

#include <QDir>
#include <QList>
#include <QStringList>

#include <optional>

namespace quibo::test {

// The progress window as the scripted user saw it; it outlives the window.
struct ReceivingRecord {
    QString totalText;
    QList<qint64> progress; // every received count shown
    QList<int> retries;     // every setRetrying
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
    void setRetrying(int attempt) override { m_record->retries.append(attempt); }
    void finish() override { m_record->finished = true; }
    [[nodiscard]] bool isOpen() const override { return m_record->open; }

private:
    std::shared_ptr<ReceivingRecord> m_record;
};

// The user's eyes and hands for file transfer. Each chooser and question takes the next
// answer of its script (none left: cancel, "&No"); the log has lines like
// "send file|anna Is Being Sent", "receive?|bob|report.doc|1234 Bytes" and "save as|report.doc".
class ScriptedTransfer : public TransferUi {
public:
    QCoro::Task<std::optional<QString>> chooseFileToSend(DialogOwner) override
    {
        log.append(QStringLiteral("choose file"));
        co_return filesToSend.isEmpty() ? std::nullopt : filesToSend.takeFirst();
    }
    QCoro::Task<std::optional<QString>> chooseSaveFile(QString suggestedName) override
    {
        log.append(QStringLiteral("save as|") + suggestedName);
        if (saveAnswers.isEmpty() || !saveAnswers.takeFirst())
            co_return std::nullopt;
        co_return QDir(saveFolder).filePath(suggestedName);
    }
    QCoro::Task<> showFileBeingSent(DialogOwner, QString notice) override
    {
        log.append(QStringLiteral("send file|") + notice);
        co_return;
    }
    QCoro::Task<bool> askReceiveFile(QString from, QString fileName, QString sizeText) override
    {
        log.append(QStringList{QStringLiteral("receive?"), from, fileName, sizeText}.join(u'|'));
        co_return !receiveAnswers.isEmpty() && receiveAnswers.takeFirst();
    }
    QCoro::Task<bool> askResumeFile(QString fileName, QString partPath, QString heldText,
                                    QString sizeText) override
    {
        log.append(QStringList{QStringLiteral("resume?"), fileName, partPath, heldText, sizeText}.join(u'|'));
        co_return !resumeAnswers.isEmpty() && resumeAnswers.takeFirst();
    }
    std::unique_ptr<ReceivingView> openReceivingFile() override
    {
        downloads.append(std::make_shared<ReceivingRecord>());
        return std::make_unique<ScriptedReceivingView>(downloads.last());
    }

    QList<std::optional<QString>> filesToSend; // full paths
    QString saveFolder;                        // where the save chooser saves, under the suggested name
    QList<bool> saveAnswers;                   // false: cancel
    QList<bool> receiveAnswers;                // true: "&Yes"
    QList<bool> resumeAnswers;                 // true: "&Yes"
    QStringList log;
    QList<std::shared_ptr<ReceivingRecord>> downloads;
};

} // namespace quibo::test
