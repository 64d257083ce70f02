#pragma once

#include "base/Timings.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QSslConfiguration>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;

namespace quibo {

class Wakeup;

enum class DownloadOutcome {
    Complete,
    CannotCreate, // the local file could not be created or written
    Lost,         // no answer, cut off, or silent for Timings::downloadStall
    BadReply,     // an answer other than 200, or a length other than the offered size
    KeyRefused,   // the sender's address showed another key, or no TLS: nothing was asked of it
};

// The key a download's server must show, by its fingerprint (keys::keyFingerprint), and the TLS
// this end speaks; the request goes out only after the server showed that key.
struct PinnedKey {
    QByteArray fingerprint;
    QSslConfiguration tls;
};

// One HTTP download streamed into a local file as it arrives, so memory does not grow with the
// file. The bytes go into "path.part", renamed to `path` only when Complete: nothing
// half-received ever carries the chosen name. A connection that breaks is tried again from what
// arrived, checked by the file's ETag (transfer/ResumePlan), while transfer::retryPause allows.
// Any other end keeps what arrived in "path.part" (never more than `expectedSize`), or nothing
// when no byte came.
class FileDownload : public QObject {
    Q_OBJECT
public:
    // Called with the bytes received so far, at most once per Timings::progressInterval and
    // once at the end.
    using Progress = std::function<void(qint64 received)>;
    // Called before each try again (1 for the first) after the connection broke, and with 0 when
    // a try is answered.
    using Retrying = std::function<void(int attempt)>;

    FileDownload(const Timings &timings, QObject *parent = nullptr);
    ~FileDownload() override;

    // `expectedSize` < 0: any length is accepted. `partNote` goes with "path.part" as its
    // extended attribute PartNoteAttribute, so that a later download can tell what it is part of.
    // `resume`: "path.part" is kept and goes on, once its last bytes match those served.
    // With `pin`, every try goes over HTTPS to that key, never over plain HTTP. `urls` are the
    // same file at the sender's addresses, best first: one that never answers gives way to the
    // next at once; the first that answers serves every later try.
    QCoro::Task<DownloadOutcome> run(QList<QUrl> urls, QString path, qint64 expectedSize, QByteArray partNote,
                                     bool resume, Progress progress, Retrying retrying = {},
                                     std::optional<PinnedKey> pin = std::nullopt);

    static constexpr const char *PartNoteAttribute = "user.quibo32.offer";
    static QString partPath(const QString &path) { return path + QStringLiteral(".part"); }
    // The PartNoteAttribute of the file at `path`; empty when it has none.
    static QByteArray partNoteOf(const QString &path);

    // "http://<address>:<port>/tmp/<name>" with the name percent-encoded ("https" when
    // `secure`); invalid unless the address is a dotted IPv4 one that reaches another machine
    // ("0" is offline, and 0.0.0.0 would reach this one's own web server).
    static QUrl offeredFileUrl(const QString &address, quint16 port, const QString &name, bool secure = false);

private:
    struct Transfer;
    enum class Fetched { Whole, Broken, Refused, WrongLength, DiskFull, Stale, KeyRefused };
    // One request for what `transfer` does not hold yet; `answered` is called when its answer is
    // taken.
    QCoro::Task<Fetched> fetch(QUrl url, std::shared_ptr<Transfer> transfer, qint64 expectedSize,
                               Progress progress, std::function<void()> answered, const std::optional<PinnedKey> &pin);

    const Timings &m_timings;
    QNetworkAccessManager *m_network;
};

} // namespace quibo
