#include "transfer/FileDownload.h"

#include "base/Await.h"
#include "base/DottedAddress.h"
#include "base/Wakeup.h"
#include "transfer/DownloadReply.h"
#include "transfer/ResumePlan.h"
#include "transfer/SparseWrite.h"

#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/xattr.h>

namespace quibo {

namespace {
constexpr qint64 ChunkBytes = 256 * 1024;
constexpr qint64 ReadBufferBytes = 4 * 1024 * 1024; // what the socket may hold ahead of the disk
// Over TLS less: a QSslSocket let to gather megabytes spent up to three times the CPU per byte
// (bench_transfer); the kernel's socket buffer holds the rest, and TCP slows the sender.
constexpr qint64 TlsReadBufferBytes = 512 * 1024;
constexpr qint64 OverlapBytes = 64 * 1024;          // compared again when a part of an earlier offer goes on
} // namespace

// The reply and the file of one download, and what the file holds; they go with the download
// object, never a frame.
struct FileDownload::Transfer {
    QPointer<DownloadReply> reply;
    QFile file;
    transfer::HeldPart held;
    QByteArray tail;       // the end of a part from an earlier offer, still to be compared
    QByteArray pendingTag; // the answer's tag, the part's once its tail matched
    bool stale = false;    // the tail did not match: that part is of another file
    ~Transfer()
    {
        if (reply) {
            reply->abort();
            reply->deleteLater();
        }
    }
    // Moves what the reply holds into the file, never past `limit` bytes (< 0: no limit); false
    // when the disk refused it. `tooLong` is set when the reply brought more.
    bool drain(QByteArray &buffer, qint64 limit, bool &tooLong)
    {
        for (;;) {
            const qint64 got = reply->read(buffer.data(), buffer.size());
            if (got <= 0)
                return true;
            qint64 compared = 0;
            if (!tail.isEmpty()) {
                compared = std::min<qint64>(got, tail.size());
                if (std::memcmp(buffer.constData(), tail.constData(), static_cast<size_t>(compared)) != 0) {
                    stale = true;
                    return true;
                }
                tail.remove(0, compared);
                if (tail.isEmpty())
                    held = {held.size, pendingTag, 0};
            }
            const qint64 fresh = got - compared;
            const qint64 kept = limit < 0 ? fresh : std::clamp(limit - held.size, qint64{0}, fresh);
            if (!transfer::writeOrSkipZeros(file, buffer.constData() + compared, kept))
                return false;
            held.size += kept;
            tooLong = tooLong || kept < fresh;
        }
    }
};

FileDownload::FileDownload(const Timings &timings, QObject *parent)
    : QObject(parent), m_timings(timings), m_network(new QNetworkAccessManager(this))
{
    m_network->setProxy(QNetworkProxy::NoProxy); // a contact's web server is reached directly
}

FileDownload::~FileDownload() = default;

QUrl FileDownload::offeredFileUrl(const QString &address, quint16 port, const QString &name, bool secure)
{
    if (!(isDottedIPv4(address) || isIPv6Literal(address)) || address == u"0.0.0.0")
        return {};
    QUrl origin;
    origin.setScheme(secure ? QStringLiteral("https") : QStringLiteral("http"));
    origin.setHost(address);
    origin.setPort(port);
    return QUrl::fromEncoded(origin.toEncoded() + "/tmp/" + QUrl::toPercentEncoding(name), QUrl::StrictMode);
}

QByteArray FileDownload::partNoteOf(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const ssize_t size = ::getxattr(name.constData(), PartNoteAttribute, nullptr, 0);
    if (size <= 0 || size > 64 * 1024)
        return {};
    QByteArray note(size, Qt::Uninitialized);
    const ssize_t got =
        ::getxattr(name.constData(), PartNoteAttribute, note.data(), static_cast<size_t>(size));
    return got == size ? note : QByteArray();
}

QCoro::Task<DownloadOutcome> FileDownload::run(QList<QUrl> urls, QString path, qint64 expectedSize,
                                               QByteArray partNote, bool resume, Progress progress,
                                               Retrying retrying, std::optional<PinnedKey> pin)
{
    urls.removeIf([](const QUrl &url) { return !url.isValid(); });
    if (urls.isEmpty())
        co_return DownloadOutcome::Lost;
    auto transfer = std::make_shared<Transfer>();
    transfer->file.setFileName(partPath(path));
    const QIODevice::OpenMode mode =
        resume ? QIODevice::ReadWrite : QIODevice::ReadWrite | QIODevice::Truncate;
    if (!transfer->file.open(mode))
        co_return DownloadOutcome::CannotCreate;
    if (const qint64 held = transfer->file.size(); resume && (expectedSize < 0 || held < expectedSize)) {
        transfer->held = {held, {}, std::min(held, OverlapBytes)};
        if (!transfer->file.seek(held))
            co_return DownloadOutcome::CannotCreate;
    } else if (!transfer->file.resize(0)) {
        co_return DownloadOutcome::CannotCreate;
    }
    // Where the file system has no extended attributes the part is still kept, only unlabelled.
    (void)::fsetxattr(transfer->file.handle(), PartNoteAttribute, partNote.constData(),
                      static_cast<size_t>(partNote.size()), 0);

    DownloadOutcome outcome = DownloadOutcome::Complete;
    QElapsedTimer sinceLoss;
    int attempt = 0;
    bool heard = false; // an address has answered: it serves every try from now on
    for (;;) {
        const qint64 before = transfer->held.size;
        Retrying told;
        if (attempt > 0)
            told = retrying;
        std::function<void()> answered = [&heard, told] {
            heard = true;
            if (told)
                told(0);
        };
        const Fetched fetched = co_await fetch(urls.first(), transfer, expectedSize, progress, answered, pin);
        if (fetched == Fetched::Whole)
            break;
        if (fetched == Fetched::KeyRefused) {
            outcome = DownloadOutcome::KeyRefused;
            break;
        }
        if (fetched == Fetched::Stale)
            continue; // asked again whole at once
        if (fetched == Fetched::DiskFull) {
            outcome = DownloadOutcome::CannotCreate;
            break;
        }
        if (fetched != Fetched::Broken) {
            // An answer that is not the file on a first try is a bad one; on a later try the
            // offer is no longer served as it was.
            outcome = attempt == 0 || fetched == Fetched::WrongLength ? DownloadOutcome::BadReply
                                                                      : DownloadOutcome::Lost;
            break;
        }
        if (!heard && urls.size() > 1) {
            // An address that never answered (nobody listens there, say) gives way to the next at
            // once; a GET asked again costs nothing.
            urls.removeFirst();
            continue;
        }
        if (expectedSize >= 0 && transfer->held.size == expectedSize && !transfer->held.etag.isEmpty())
            break; // every byte of one version came; only the end of the answer was lost
        if (!sinceLoss.isValid() || transfer->held.size != before) {
            sinceLoss.start(); // the connection carried bytes: a loss of its own
            attempt = 0;
        }
        const auto pause =
            transfer::retryPause(++attempt, std::chrono::milliseconds(sinceLoss.elapsed()), m_timings);
        if (!pause) {
            outcome = DownloadOutcome::Lost;
            break;
        }
        if (retrying)
            retrying(attempt);
        co_await sleepFor(this, *pause);
    }
    if (progress)
        progress(transfer->held.size);

    // Zeros at the end were skipped, not written: the length is set here.
    const bool written = transfer->file.resize(transfer->held.size) && transfer->file.flush();
    if (outcome == DownloadOutcome::Complete && !written)
        outcome = DownloadOutcome::CannotCreate;
    const bool nothingKept = transfer->file.size() == 0;
    if (outcome == DownloadOutcome::Complete)
        (void)::fremovexattr(transfer->file.handle(), PartNoteAttribute); // whole: part of nothing
    transfer->file.close();
    // rename(2) replaces a file of the chosen name in one step; the user agreed to replace it.
    if (outcome == DownloadOutcome::Complete &&
        ::rename(QFile::encodeName(partPath(path)).constData(), QFile::encodeName(path).constData()) != 0)
        outcome = DownloadOutcome::CannotCreate;
    else if (outcome != DownloadOutcome::Complete && nothingKept)
        transfer->file.remove();
    co_return outcome;
}

QCoro::Task<FileDownload::Fetched> FileDownload::fetch(QUrl url, std::shared_ptr<Transfer> transfer,
                                                       qint64 expectedSize, Progress progress,
                                                       std::function<void()> answered,
                                                       const std::optional<PinnedKey> &pin)
{
    DownloadReply *reply = nullptr;
    if (pin) {
        QList<QPair<QByteArray, QByteArray>> fields;
        for (const auto &[name, value] : transfer::resumeFields(transfer->held))
            fields.append({name, value});
        reply = new PinnedHttpsGet(url, fields, pin->tls, pin->fingerprint, TlsReadBufferBytes, this);
    } else {
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        request.setRawHeader("Accept-Encoding", "identity");
        for (const auto &[name, value] : transfer::resumeFields(transfer->held))
            request.setRawHeader(name, value);
        QNetworkReply *network = m_network->get(request);
        network->setReadBufferSize(ReadBufferBytes);
        reply = wrapNetworkReply(network, this);
    }
    transfer->reply = reply;
    auto *wakeup = new Wakeup(reply);
    connect(reply, &DownloadReply::readyRead, wakeup, &Wakeup::wake);
    connect(reply, &DownloadReply::finished, wakeup, &Wakeup::wake);

    QByteArray buffer(ChunkBytes, Qt::Uninitialized);
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    bool judged = false, refused = false, tooLong = false, diskFull = false;
    for (;;) {
        const int status = reply->status();
        if (status > 0 && !judged) {
            judged = true;
            const transfer::ReplyUse use = transfer::judgeReply(
                status, reply->rawHeader("Content-Range"), transfer->held, expectedSize);
            if (use == transfer::ReplyUse::Refuse) {
                refused = true; // not the file: nothing of it is written
                break;
            }
            if (use == transfer::ReplyUse::Append && transfer->held.overlap > 0) {
                // The part came from an earlier offer: its end must match before anything is joined.
                QFile &file = transfer->file;
                const qint64 held = transfer->held.size;
                if (!file.seek(held - transfer->held.overlap)) {
                    diskFull = true;
                    break;
                }
                transfer->tail = file.read(transfer->held.overlap);
                transfer->pendingTag = transfer::strongTag(reply->rawHeader("ETag"));
                if (transfer->tail.size() != transfer->held.overlap || !file.seek(held)) {
                    diskFull = true;
                    break;
                }
            }
            if (use == transfer::ReplyUse::FromStart) {
                // The whole file, which may be another version: never joined to what was held.
                if (!transfer->file.resize(0) || !transfer->file.seek(0)) {
                    diskFull = true;
                    break;
                }
                const bool dropped = transfer->held.size > 0;
                transfer->held = {0, transfer::strongTag(reply->rawHeader("ETag"))};
                if (dropped && progress)
                    progress(0); // the window shows the start again
            }
            if (answered)
                answered();
        }
        if (judged && !transfer->drain(buffer, expectedSize, tooLong)) {
            diskFull = true;
            break;
        }
        if (transfer->stale)
            break;
        if (reply->isFinished() || tooLong)
            break; // more than offered is never the file: the disk is not filled with it
        if (progress && sinceProgress.elapsed() >= m_timings.progressInterval.count()) {
            progress(transfer->held.size);
            sinceProgress.restart();
        }
        if (!co_await wakeup->next(m_timings.downloadStall))
            break; // silent too long: aborted below
    }
    const bool finished = reply->isFinished();
    const DownloadReply::Failure failure = reply->failure();
    transfer->reply = nullptr;
    reply->abort();
    reply->deleteLater();

    if (diskFull)
        co_return Fetched::DiskFull;
    if (failure == DownloadReply::Failure::KeyRefused)
        co_return Fetched::KeyRefused;
    transfer->tail.clear(); // compared only in part: asked for again by the next try
    if (transfer->stale) {
        // Another file under the same name and size: nothing of the part is kept.
        transfer->stale = false;
        transfer->held = {};
        if (progress)
            progress(0);
        co_return transfer->file.resize(0) && transfer->file.seek(0) ? Fetched::Stale : Fetched::DiskFull;
    }
    if (refused)
        co_return Fetched::Refused;
    if (tooLong)
        co_return Fetched::WrongLength;
    if (!finished || !judged || failure != DownloadReply::Failure::None)
        co_return Fetched::Broken;
    if (expectedSize >= 0 && transfer->held.size != expectedSize)
        co_return Fetched::WrongLength; // the answer ended short of the offered size: not the file
    co_return Fetched::Whole;
}

} // namespace quibo
