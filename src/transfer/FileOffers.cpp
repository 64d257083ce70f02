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
#include "transfer/SparseWrite.h"
#include "transfer/TransferCodes.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

#include <linux/fs.h>
#include <sys/ioctl.h>

namespace quibo {

namespace {
constexpr qint64 CopyStepBytes = 4 * 1024 * 1024;
}

FileOffers::FileOffers(Parts parts, Dispatcher &dispatcher, Logoff &logoff, CommandHandlers &commands,
                       QObject *parent)
    : QObject(parent), m_parts(parts)
{
    dispatcher.on(transfer::Busy, [this](Origin from, QString body) {
        settle(from, transfer::Busy.payloadOf(body), FileOutcome::Busy);
        return listenerMessage(m_parts.notices, from.name + QStringLiteral(" Is Busy Receiving Another File"),
                               QStringLiteral("Try To Send It Again Later"), true);
    });
    dispatcher.on(transfer::Declined, [this](Origin from, QString body) {
        settle(from, transfer::Declined.payloadOf(body), FileOutcome::Declined);
        return listenerMessage(m_parts.notices, from.name + QStringLiteral(" Does Not Want The File"),
                               QStringLiteral("File Transfer Cancelled"), true);
    });
    dispatcher.on(transfer::Received, [this](Origin from, QString body) {
        settle(from, transfer::Received.payloadOf(body), FileOutcome::Received);
        return listenerMessage(m_parts.notices,
                               from.name + QStringLiteral(" Has Received ") +
                                   transfer::Received.payloadOf(body),
                               QStringLiteral("File Transfer Complete"), true);
    });
    logoff.onLoggingOff([this] { deleteOfferedFiles(); });
    commands.add(Command::SendFile, [this] { return SendFile(); });
    commands.setDrop([this](std::optional<int> contact, QStringList paths) {
        return dropFiles(contact, std::move(paths));
    });
}

QCoro::Task<> FileOffers::SendFile()
{
    const std::optional<QString> path = co_await m_parts.ui.chooseFileToSend(DialogOwner::MainWindow);
    if (path)
        co_await offerFile(*path);
}

QCoro::Task<> FileOffers::dropFiles(std::optional<int> contact, QStringList paths)
{
    QString line1, line2;
    if (!contact) {
        line1 = QStringLiteral("Drop The File On A Contact");
        line2 = QStringLiteral("No File Was Sent");
    } else if (const ContactRecord &to = m_parts.contacts.contact(*contact);
               !to.online || to.address == u"0") {
        line1 = to.displayHandle + QStringLiteral(" Is Offline");
        line2 = QStringLiteral("No File Was Sent");
    } else if (paths.size() != 1 || !QFileInfo(paths.first()).isFile()) {
        // An offer carries one file; a folder would need a format of its own.
        line1 = paths.size() > 1 ? QStringLiteral("Drop One File At A Time")
                                 : QStringLiteral("Only Files Can Be Sent");
        line2 = QStringLiteral("No File Was Sent");
    } else {
        co_await offerFile(paths.first());
        co_return;
    }
    co_await m_parts.notices.showSystemMessage(DialogOwner::MainWindow, line1, line2);
}

QCoro::Task<> FileOffers::offerFile(QString path)
{
    const QFileInfo chosen(path);
    const QString name = chosen.fileName();
    m_sentFiles.append(name);
    const Party to =
        Party::contact(m_parts.contacts.isValid(m_parts.selection.selectedContact)
                           ? m_parts.contacts.contact(m_parts.selection.selectedContact).displayHandle
                           : QString());
    // The copy is whole before the offer goes out, so no download can find it half made.
    const std::optional<qint64> size = co_await publish(path, name);
    if (!size) {
        m_parts.journal.record(fileEntry(Direction::Out, to, name, chosen.size(), FileOutcome::Failed));
        const QString line1 = QStringLiteral("Cannot Send ") + name;
        co_await m_parts.notices.showSystemMessage(DialogOwner::MainWindow, line1,
                                                   QStringLiteral("The File Could Not Be Copied"));
        co_return;
    }
    const QString offer = transfer::Offer.toString() + transfer::offerPayload(*size, name);
    const QString address = m_parts.contacts.addressOf(m_parts.selection.selectedContact);
    const SendOutcome outcome = co_await m_parts.sender.sendMessageRecord(address, offer);
    m_parts.journal.record(
        fileEntry(Direction::Out, to, name, *size,
                  outcome == SendOutcome::Sent ? FileOutcome::Offered : FileOutcome::Failed));
    co_await m_parts.sender.reportMessageOutcome(outcome, DialogOwner::MainWindow);
    if (outcome != SendOutcome::Sent)
        co_return;
    const QString notice = name + QStringLiteral(" Is Being Sent");
    co_await m_parts.ui.showFileBeingSent(DialogOwner::MainWindow, notice);
}

QCoro::Task<std::optional<qint64>> FileOffers::publish(QString path, QString name)
{
    const std::optional<QString> target = offeredFilePath(m_parts.dir, name);
    if (!target)
        co_return std::nullopt;
    if (QFileInfo(path).canonicalFilePath() == QFileInfo(*target).canonicalFilePath())
        co_return QFileInfo(path).size(); // offered from "html/tmp" itself

    QFile source(path);
    QSaveFile copy(*target);
    if (!source.open(QIODevice::ReadOnly) || !copy.open(QIODevice::WriteOnly))
        co_return std::nullopt;
    // A reflink shares the blocks until either side writes them: a snapshot at no cost.
    if (::ioctl(copy.handle(), FICLONE, source.handle()) != 0) {
        // The file as long as it is now: one still growing is not chased.
        qint64 left = source.size();
        QByteArray buffer(CopyStepBytes, Qt::Uninitialized);
        while (left > 0) {
            const qint64 got = source.read(buffer.data(), std::min<qint64>(left, buffer.size()));
            if (got < 0 || !transfer::writeOrSkipZeros(copy, buffer.constData(), got)) {
                copy.cancelWriting();
                co_return std::nullopt;
            }
            if (got == 0)
                break; // shortened meanwhile: the snapshot is what was there
            left -= got;
            co_await sleepFor(this, std::chrono::milliseconds{0}); // lets the event loop run between steps
        }
    }
    // A hole at the end was skipped, not written: the length is set here.
    const qint64 size = std::max(copy.size(), copy.pos());
    if (!copy.resize(size) || !copy.commit())
        co_return std::nullopt;
    co_return size;
}

void FileOffers::settle(const Origin &from, const QString &fileName, FileOutcome outcome)
{
    m_parts.journal.settleFile(Party::contact(from.name), Direction::Out, fileName, outcome);
}

void FileOffers::deleteOfferedFiles()
{
    for (const QString &name : std::as_const(m_sentFiles)) {
        if (const std::optional<QString> path = offeredFilePath(m_parts.dir, name))
            QFile::remove(*path);
    }
}

} // namespace quibo
