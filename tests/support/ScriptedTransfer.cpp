#include "ScriptedTransfer.h"

#include <QDir>

namespace quibo::test {

QCoro::Task<std::optional<QString>> ScriptedTransfer::chooseFileToSend(DialogOwner)
{
    log.append(QStringLiteral("choose file"));
    co_return filesToSend.isEmpty() ? std::nullopt : filesToSend.takeFirst();
}

QCoro::Task<std::optional<QString>> ScriptedTransfer::chooseSaveFile(QString suggestedName)
{
    log.append(QStringLiteral("save as|") + suggestedName);
    if (saveAnswers.isEmpty() || !saveAnswers.takeFirst())
        co_return std::nullopt;
    co_return QDir(saveFolder).filePath(suggestedName);
}

QCoro::Task<> ScriptedTransfer::showFileBeingSent(DialogOwner, QString notice)
{
    log.append(QStringLiteral("send file|") + notice);
    co_return;
}

QCoro::Task<bool> ScriptedTransfer::askReceiveFile(QString from, QString fileName, QString sizeText)
{
    log.append(QStringList{QStringLiteral("receive?"), from, fileName, sizeText}.join(QLatin1Char('|')));
    co_return !receiveAnswers.isEmpty() && receiveAnswers.takeFirst();
}

std::unique_ptr<ReceivingView> ScriptedTransfer::openReceivingFile()
{
    downloads.append(std::make_shared<ReceivingRecord>());
    return std::make_unique<ScriptedReceivingView>(downloads.last());
}

} // namespace quibo::test
