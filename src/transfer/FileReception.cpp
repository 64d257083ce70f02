#include "transfer/FileReception.h"

#include "base/AtomicFile.h"
#include "base/Await.h"
#include "base/Config.h"
#include "base/LogonState.h"
#include "base/Tasks.h"
#include "base/WorkingDirectory.h"
#include "notices/Notices.h"
#include "peer/Dispatcher.h"
#include "peer/PeerSender.h"
#include "peer/PeerTls.h"
#include "ports/Attention.h"
#include "transfer/FileDownload.h"
#include "transfer/TransferCodes.h"

#include <QFile>
#include <QFileInfo>

namespace quibo {

namespace {
const QString PartRecordsFile = QStringLiteral("parts.json");
}

FileReception::FileReception(Parts parts, Dispatcher &dispatcher, QObject *parent)
    : QObject(parent), m_parts(parts), m_download(new FileDownload(parts.timings, this))
{
    dispatcher.on(transfer::Offer,
                  [this](Origin from, QString body) { return offered(std::move(from), std::move(body)); });
}

FileReception::~FileReception() = default;

QString FileReception::cleanFileName(const QString &offered)
{
    QString name = offered;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    name.removeIf(
        [](QChar c) { return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format; });
    name = name.trimmed();
    if (name.isEmpty() || name == u"." || name == u"..")
        return QStringLiteral("received file");
    return name;
}

QByteArray FileReception::partNote(const FileOffer &offer)
{
    return QStringList{offer.from.handle, offer.from.address, offer.sizeText, offer.fileName}
        .join(u'\n')
        .toUtf8();
}

QCoro::Task<> FileReception::offered(Origin from, QString body)
{
    const std::optional<transfer::OfferText> offer = transfer::parseOffer(body);
    if (!offer)
        co_return; // no "<": nothing to offer
    if (m_phase != ReceptionPhase::Idle) {
        // Busy: answered, and nothing more. The name is named first: g++ 12 destroys a
        // temporary of ?: inside co_await twice.
        const QString name = from.own() ? transfer::Offer.payloadOf(body) : offer->fileName;
        m_parts.journal.record(fileEntry(Direction::In, Party::contact(from.name), offer->fileName,
                                         offer->sizeText.toLongLong(), FileOutcome::Busy));
        co_await m_parts.sender.SendShortRecord(m_parts.logon.ownHandle, from.address, name, transfer::Busy);
        co_return;
    }
    m_parts.notices.playNotificationSound();
    // Named, not a temporary inside co_await (see above).
    FileOffer named{std::move(from), offer->sizeText, offer->fileName};
    co_await onFileOffer(std::move(named));
}

QCoro::Task<> FileReception::onFileOffer(FileOffer offer)
{
    ask();
    m_offer = std::move(offer);
    bool sized = false;
    const qint64 bytes = m_offer.sizeText.toLongLong(&sized);
    m_parts.journal.record(fileEntry(Direction::In, Party::contact(m_offer.from.name), m_offer.fileName,
                                     sized ? bytes : -1, FileOutcome::Offered));
    const QString size = m_offer.sizeText + QStringLiteral(" Bytes");
    m_parts.attention.arrived(m_offer.from.name, QStringLiteral("offers you the file ") + m_offer.fileName,
                              {});
    const bool yes = co_await m_parts.ui.askReceiveFile(m_offer.from.name, m_offer.fileName, size);
    if (!yes) {
        end();
        settle(FileOutcome::Declined);
        co_await answer(transfer::Declined);
        co_return;
    }
    accept();
    startTask(this, "receive file", [this] { return receiveFile(); });
}

QCoro::Task<> FileReception::answer(peer::RecordCode code)
{
    co_await m_parts.sender.SendShortRecord(m_parts.logon.ownHandle, m_offer.from.address, m_offer.fileName,
                                            code);
}

QCoro::Task<> FileReception::receiveFile()
{
    // Where the sender is dialled, best first: a secure one's IPv6 address and published web port.
    const QList<DialTarget> at = m_parts.sender.records().plan(m_offer.from.address, m_parts.config.webPort);
    std::optional<PinnedKey> pin;
    if (const QByteArray key = m_parts.tls.expectedKey(m_offer.from.address); !key.isEmpty())
        pin = PinnedKey{key, m_parts.tls.configuration().value_or(QSslConfiguration::defaultConfiguration())};
    QList<QUrl> urls;
    for (const DialTarget &target : at) {
        if (QUrl url = FileDownload::offeredFileUrl(target.host.toString(), target.port, m_offer.fileName,
                                                    pin.has_value());
            url.isValid())
            urls.append(std::move(url));
    }
    if (urls.isEmpty()) { // the sender is offline: nothing to save
        end();
        settle(FileOutcome::Failed);
        co_await tellLostConnection();
        co_return;
    }
    // A part of the same file from an earlier offer (before the sender's restart, say) goes on
    // where it is, when the user wants it.
    std::optional<QString> path = earlierPart();
    bool resume = false;
    if (path) {
        const QString held = QString::number(QFileInfo(FileDownload::partPath(*path)).size());
        resume = co_await m_parts.ui.askResumeFile(m_offer.fileName, FileDownload::partPath(*path), held,
                                                   m_offer.sizeText);
    }
    if (!resume)
        path = co_await m_parts.ui.chooseSaveFile(cleanFileName(m_offer.fileName));
    if (!path) {
        end();
        settle(FileOutcome::Declined);
        co_await answer(transfer::Declined);
        co_return;
    }
    startDownload();
    m_progress = m_parts.ui.openReceivingFile();
    co_await sleepFor(this, m_parts.timings.receiveStartDelay);
    m_progress->setFile(m_offer.fileName, m_offer.sizeText);

    bool sized = false;
    const qint64 size = m_offer.sizeText.toLongLong(&sized);
    const qint64 expected = sized && size >= 0 ? size : -1; // an unreadable size checks nothing
    ReceivingView *view = m_progress.get();
    const transfer::PartRecord record{m_offer.from.handle, m_offer.sizeText, m_offer.fileName, *path};
    writePartRecords(transfer::withRecord(readPartRecords(), record));
    const DownloadOutcome outcome = co_await m_download->run(
        urls, *path, expected, partNote(m_offer), resume,
        [view, expected](qint64 got) { view->setProgress(got, expected < 0 ? got : expected); },
        [view](int attempt) { view->setRetrying(attempt); }, pin);

    if (!QFile::exists(FileDownload::partPath(*path)))
        writePartRecords(transfer::withoutPath(readPartRecords(), *path));
    m_parts.notices.playNotificationSound();
    m_progress->finish();
    end();
    settle(outcome == DownloadOutcome::Complete ? FileOutcome::Received : FileOutcome::Failed);
    switch (outcome) {
    case DownloadOutcome::Complete:
        co_await answer(transfer::Received);
        break;
    case DownloadOutcome::Lost:
        co_await tellLostConnection();
        break;
    case DownloadOutcome::KeyRefused:
        // Whoever is at the address is not the sender: it hears nothing, as with a record.
        co_await m_parts.notices.showSystemMessage(
            DialogOwner::Desktop, QStringLiteral("%1 Did Not Show Its Key - File Not Received").arg(m_offer.from.handle),
            QStringLiteral("Error Code 1060"));
        break;
    case DownloadOutcome::BadReply:
    case DownloadOutcome::CannotCreate: {
        // Nothing usable arrived: the sender hears a cancelled transfer, never "|602".
        const QString line1 = outcome == DownloadOutcome::BadReply
                                  ? m_offer.fileName + QStringLiteral(" Was Not Received Whole")
                                  : QStringLiteral("Cannot Write ") + *path;
        co_await answer(transfer::Declined);
        co_await m_parts.notices.showSystemMessage(DialogOwner::Desktop, line1,
                                                   QStringLiteral("File Transfer Cancelled"));
        break;
    }
    }
}

void FileReception::settle(FileOutcome outcome)
{
    m_parts.journal.settleFile(Party::contact(m_offer.from.name), Direction::In, m_offer.fileName, outcome);
}

QList<transfer::PartRecord> FileReception::readPartRecords() const
{
    QFile file(m_parts.dir.file(PartRecordsFile));
    return file.open(QIODevice::ReadOnly) ? transfer::readPartRecords(file.readAll())
                                          : QList<transfer::PartRecord>();
}

void FileReception::writePartRecords(const QList<transfer::PartRecord> &records) const
{
    // Losing it only costs the question next time.
    (void)writeFileAtomically(m_parts.dir.file(PartRecordsFile), transfer::writePartRecords(records),
                              OwnerOnly);
}

std::optional<QString> FileReception::earlierPart() const
{
    const std::optional<transfer::PartRecord> record =
        transfer::findRecord(readPartRecords(), m_offer.from.handle, m_offer.sizeText, m_offer.fileName);
    if (!record)
        return std::nullopt;
    const QString part = FileDownload::partPath(record->path);
    const QFileInfo info(part);
    bool sized = false;
    const qint64 size = m_offer.sizeText.toLongLong(&sized);
    if (!info.isFile() || info.size() <= 0 || !sized || info.size() >= size)
        return std::nullopt;
    // The label names the offer it came from; only the address may have changed since.
    const QList<QByteArray> label = FileDownload::partNoteOf(part).split('\n');
    const QList<QByteArray> offered = partNote(m_offer).split('\n');
    if (label.size() > 1 && (label.first() != offered.first() || label.mid(2) != offered.mid(2)))
        return std::nullopt;
    return record->path;
}

// The sender is most likely gone: no answer is sent.
QCoro::Task<> FileReception::tellLostConnection()
{
    co_await m_parts.notices.showSystemMessage(DialogOwner::Desktop,
                                               QStringLiteral("Lost Connection - Code 1051"),
                                               QStringLiteral("Sender May Have Logged Off"));
}

} // namespace quibo
