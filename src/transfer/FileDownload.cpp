#include "transfer/FileDownload.h"

#include "base/DottedAddress.h"
#include "base/Wakeup.h"

#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

#include <algorithm>
#include <cstdio>
#include <memory>

#include <sys/xattr.h>

namespace quibo {

namespace {
constexpr qint64 ChunkBytes = 256 * 1024;
constexpr qint64 ReadBufferBytes = 4 * 1024 * 1024; // what the socket may hold ahead of the disk

// The reply and the file of one download; both go with the download object, never a frame.
struct Transfer {
    QPointer<QNetworkReply> reply;
    QFile file;
    ~Transfer()
    {
        if (reply) {
            reply->abort();
            reply->deleteLater();
        }
    }
};

// Moves what the reply holds into the file, never past `limit` bytes (< 0: no limit); false
// when the disk refused it.
bool drain(QNetworkReply &reply, QFile &file, QByteArray &buffer, qint64 &received, qint64 limit)
{
    for (;;) {
        const qint64 got = reply.read(buffer.data(), buffer.size());
        if (got <= 0)
            return true;
        const qint64 kept = limit < 0 ? got : std::clamp(limit - received, qint64{0}, got);
        if (file.write(buffer.constData(), kept) != kept)
            return false;
        received += got;
    }
}
} // namespace

FileDownload::FileDownload(const Timings &timings, QObject *parent)
    : QObject(parent), m_timings(timings), m_network(new QNetworkAccessManager(this))
{
}

FileDownload::~FileDownload() = default;

QUrl FileDownload::offeredFileUrl(const QString &address, quint16 port, const QString &name)
{
    if (!isDottedIPv4(address) || address == u"0.0.0.0")
        return {};
    QUrl origin;
    origin.setScheme(QStringLiteral("http"));
    origin.setHost(address);
    origin.setPort(port);
    return QUrl::fromEncoded(origin.toEncoded() + "/tmp/" + QUrl::toPercentEncoding(name), QUrl::StrictMode);
}

QCoro::Task<DownloadOutcome> FileDownload::run(QUrl url, QString path, qint64 expectedSize,
                                               QByteArray partNote, Progress progress)
{
    if (!url.isValid())
        co_return DownloadOutcome::Lost;
    auto transfer = std::make_shared<Transfer>();
    transfer->file.setFileName(partPath(path));
    if (!transfer->file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        co_return DownloadOutcome::CannotCreate;
    // Where the file system has no extended attributes the part is still kept, only unlabelled.
    (void)::fsetxattr(transfer->file.handle(), PartNoteAttribute, partNote.constData(),
                      static_cast<size_t>(partNote.size()), 0);

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setRawHeader("Accept-Encoding", "identity");
    QNetworkReply *reply = m_network->get(request);
    reply->setReadBufferSize(ReadBufferBytes);
    transfer->reply = reply;
    auto *wakeup = new Wakeup(reply);
    connect(reply, &QNetworkReply::readyRead, wakeup, &Wakeup::wake);
    connect(reply, &QNetworkReply::finished, wakeup, &Wakeup::wake);

    QByteArray buffer(ChunkBytes, Qt::Uninitialized);
    qint64 received = 0;
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    bool diskFull = false;
    for (;;) {
        // A reply that is not 200 is not the file: nothing of it is written.
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid() && status.toInt() != 200)
            break;
        if (status.isValid() && !drain(*reply, transfer->file, buffer, received, expectedSize)) {
            diskFull = true;
            break;
        }
        if (reply->isFinished() || (expectedSize >= 0 && received > expectedSize))
            break; // more than offered is never the file: the disk is not filled with it
        if (progress && sinceProgress.elapsed() >= m_timings.progressInterval.count()) {
            progress(received);
            sinceProgress.restart();
        }
        if (!co_await wakeup->next(m_timings.downloadStall))
            break; // silent too long: aborted below
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const bool finished = reply->isFinished();
    const QNetworkReply::NetworkError error = reply->error();
    transfer->reply = nullptr;
    reply->abort();
    reply->deleteLater();
    if (progress)
        progress(received);

    DownloadOutcome outcome = DownloadOutcome::Complete;
    if (diskFull || !transfer->file.flush())
        outcome = DownloadOutcome::CannotCreate;
    else if ((status.isValid() && status.toInt() != 200) || (expectedSize >= 0 && received > expectedSize))
        outcome = DownloadOutcome::BadReply;
    else if (!finished || !status.isValid() || error != QNetworkReply::NoError)
        outcome = DownloadOutcome::Lost;
    else if (expectedSize >= 0 && received != expectedSize)
        outcome = DownloadOutcome::BadReply;
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

} // namespace quibo
