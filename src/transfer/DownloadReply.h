#pragma once

#include "transfer/ResponseHead.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSslConfiguration>
#include <QUrl>

#include <optional>

class QNetworkReply;
class QSslSocket;

namespace quibo {

// The answer to one GET as a download reads it: over plain HTTP through Qt's network access, or
// over HTTPS to a pinned key (PinnedHttpsGet).
class DownloadReply : public QObject {
    Q_OBJECT
public:
    enum class Failure { None, Network, KeyRefused };
    using QObject::QObject;

    // 0 until the head has come.
    [[nodiscard]] virtual int status() const = 0;
    [[nodiscard]] virtual QByteArray rawHeader(const QByteArray &name) const = 0;
    // What has come of the body; 0 when nothing is waiting.
    virtual qint64 read(char *into, qint64 size) = 0;
    [[nodiscard]] virtual bool isFinished() const = 0;
    // Why it ended short of the whole answer; None while it runs or when it ended whole.
    [[nodiscard]] virtual Failure failure() const = 0;
    virtual void abort() = 0;

signals:
    void readyRead();
    void finished();
};

// One GET over TLS whose request goes out only after the server showed the key whose
// fingerprint is `expectedKey` (keys::keyFingerprint); another key, or no TLS, fails as
// KeyRefused with nothing sent. The socket holds at most `readBuffer` bytes ahead of the reader.
class PinnedHttpsGet final : public DownloadReply {
public:
    PinnedHttpsGet(const QUrl &url, const QList<QPair<QByteArray, QByteArray>> &fields, QSslConfiguration tls,
                   QByteArray expectedKey, qint64 readBuffer, QObject *parent = nullptr);
    ~PinnedHttpsGet() override;

    [[nodiscard]] int status() const override { return m_head ? m_head->status : 0; }
    [[nodiscard]] QByteArray rawHeader(const QByteArray &name) const override;
    qint64 read(char *into, qint64 size) override;
    [[nodiscard]] bool isFinished() const override;
    [[nodiscard]] Failure failure() const override;
    void abort() override;

    static constexpr qsizetype MaxHeadBytes = 64 * 1024;

private:
    void onEncrypted();
    void onReadyRead();
    void onGone();
    void fail(Failure failure);

    QSslSocket *m_socket;
    QByteArray m_request;
    QByteArray m_expectedKey;
    QByteArray m_headBytes;
    QByteArray m_early; // body bytes that came with the head
    std::optional<ResponseHead> m_head;
    qint64 m_left = -1; // body bytes still to come; -1 until the connection ends
    bool m_sent = false;
    bool m_closed = false;
    Failure m_failure = Failure::None;
};

// Qt's own reply to a plain GET, as a DownloadReply; takes `reply`.
DownloadReply *wrapNetworkReply(QNetworkReply *reply, QObject *parent);

} // namespace quibo
