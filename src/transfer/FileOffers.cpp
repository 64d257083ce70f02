#include "transfer/FileOffers.h"

#include "base/Await.h"
#include "contacts/ContactTable.h"
#include "directory/Logoff.h"
#include "directory/WorkingFiles.h"
#include "mainwindow/CommandHandlers.h"
#include "mainwindow/Selection.h"
#include "notices/Notices.h"
#include "peer/Dispatcher.h"
#include "peer/ListenerMessage.h"
#include "peer/PeerSender.h"
#include "ports/TransferUi.h"
#include "transfer/TransferCodes.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <unistd.h>

namespace quibo {

namespace {
constexpr qint64 CopyStepBytes = 4 * 1024 * 1024;
}

FileOffers::FileOffers(Parts parts, Dispatcher &dispatcher, Logoff &logoff, CommandHandlers &commands,
                       QObject *parent)
    : QObject(parent), m_parts(parts)
{
    dispatcher.on(transfer::Busy, [this](Origin from, QString) {
        return listenerMessage(m_parts.notices, from.name + QStringLiteral(" Is Busy Receiving Another File"),
                               QStringLiteral("Try To Send It Again Later"), true);
    });
    dispatcher.on(transfer::Declined, [this](Origin from, QString) {
        return listenerMessage(m_parts.notices, from.name + QStringLiteral(" Does Not Want The File"),
                               QStringLiteral("File Transfer Cancelled"), true);
    });
    dispatcher.on(transfer::Received, [this](Origin from, QString body) {
        return listenerMessage(m_parts.notices,
                               from.name + QStringLiteral(" Has Received ") +
                                   transfer::Received.payloadOf(body),
                               QStringLiteral("File Transfer Complete"), true);
    });
    logoff.onLoggingOff([this] { deleteOfferedFiles(); });
    commands.add(Command::SendFile, [this] { return SendFile(); });
}

QCoro::Task<> FileOffers::SendFile()
{
    const std::optional<QString> path = co_await m_parts.ui.chooseFileToSend(DialogOwner::MainWindow);
    if (!path)
        co_return;
    const QFileInfo chosen(*path);
    const QString name = chosen.fileName();
    sentFiles.append(name);
    // The copy is whole before the offer goes out, so no download can find it half made.
    if (!co_await publish(*path, name)) {
        const QString line1 = QStringLiteral("Cannot Send ") + name;
        co_await m_parts.notices.showSystemMessage(DialogOwner::MainWindow, line1,
                                                   QStringLiteral("The File Could Not Be Copied"));
        co_return;
    }
    const QString offer = transfer::Offer.toString() + transfer::offerPayload(chosen.size(), name);
    const QString to = m_parts.contacts.addressOf(m_parts.selection.selectedContact);
    co_await m_parts.sender.SendPeerRecord(to, offer, DialogOwner::MainWindow);
    const QString notice = name + QStringLiteral(" Is Being Sent");
    co_await m_parts.ui.showFileBeingSent(DialogOwner::MainWindow, notice);
}

QCoro::Task<bool> FileOffers::publish(QString path, QString name)
{
    const std::optional<QString> target = offeredFilePath(m_parts.dir, name);
    if (!target)
        co_return false;
    if (QFileInfo(path).canonicalFilePath() == QFileInfo(*target).canonicalFilePath())
        co_return true; // offered from "html/tmp" itself
    QFile::remove(*target);
    if (::link(QFile::encodeName(path).constData(), QFile::encodeName(*target).constData()) == 0)
        co_return true;

    QFile source(path);
    QSaveFile copy(*target);
    if (!source.open(QIODevice::ReadOnly) || !copy.open(QIODevice::WriteOnly))
        co_return false;
    QByteArray buffer(CopyStepBytes, Qt::Uninitialized);
    for (;;) {
        const qint64 got = source.read(buffer.data(), buffer.size());
        if (got < 0 || copy.write(buffer.constData(), got) != got) {
            copy.cancelWriting();
            co_return false;
        }
        if (got == 0)
            break;
        co_await sleepFor(this, std::chrono::milliseconds{0}); // lets the event loop run between steps
    }
    co_return copy.commit();
}

void FileOffers::deleteOfferedFiles()
{
    for (const QString &name : std::as_const(sentFiles)) {
        if (const std::optional<QString> path = offeredFilePath(m_parts.dir, name))
            QFile::remove(*path);
    }
}

} // namespace quibo
