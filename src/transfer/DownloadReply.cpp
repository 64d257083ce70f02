#include "transfer/DownloadReply.h"

#include "keys/UserKey.h"
#include "peer/SocketEvents.h"

#include <QNetworkReply>
#include <QSslSocket>

#include <algorithm>
#include <cstring>

namespace quibo {

namespace {

class NetworkDownloadReply final : public DownloadReply {
public:
    NetworkDownloadReply(QNetworkReply *reply, QObject *parent) : DownloadReply(parent), m_reply(reply)
    {
        reply->setParent(this);
        connect(reply, &QNetworkReply::readyRead, this, &DownloadReply::readyRead);
        connect(reply, &QNetworkReply::finished, this, &DownloadReply::finished);
    }
    [[nodiscard]] int status() const override
    {
        const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        return status.isValid() ? status.toInt() : 0;
    }
    [[nodiscard]] QByteArray rawHeader(const QByteArray &name) const override { return m_reply->rawHeader(name); }
    qint64 read(char *into, qint64 size) override { return std::max<qint64>(m_reply->read(into, size), 0); }
    [[nodiscard]] bool isFinished() const override { return m_reply->isFinished(); }
    [[nodiscard]] Failure failure() const override
    {
        return m_reply->isFinished() && m_reply->error() != QNetworkReply::NoError ? Failure::Network : Failure::None;
    }
    void abort() override { m_reply->abort(); }

private:
    QNetworkReply *m_reply;
};

} // namespace

DownloadReply *wrapNetworkReply(QNetworkReply *reply, QObject *parent)
{
    return new NetworkDownloadReply(reply, parent);
}

PinnedHttpsGet::PinnedHttpsGet(const QUrl &url, const QList<QPair<QByteArray, QByteArray>> &fields,
                               QSslConfiguration tls, QByteArray expectedKey, qint64 readBuffer, QObject *parent)
    : DownloadReply(parent), m_socket(static_cast<QSslSocket *>(directSocket(true, this))), m_expectedKey(std::move(expectedKey))
{
    const QByteArray host = url.host().toLatin1() + ':' + QByteArray::number(url.port(443));
    m_request = "GET " + url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority) + " HTTP/1.1\r\nHost: " + host +
                "\r\nAccept-Encoding: identity\r\nConnection: close\r\n";
    for (const auto &[name, value] : fields)
        m_request += name + ": " + value + "\r\n";
    m_request += "\r\n";

    // The key is judged by its fingerprint below, never by an authority: no chain is built.
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    tls.setCaCertificates({});
    m_socket->setSslConfiguration(tls);
    m_socket->setReadBufferSize(readBuffer);
    connect(m_socket, &QSslSocket::encrypted, this, &PinnedHttpsGet::onEncrypted);
    connect(m_socket, &QSslSocket::readyRead, this, &PinnedHttpsGet::onReadyRead);
    connect(m_socket, &QSslSocket::disconnected, this, &PinnedHttpsGet::onGone);
    connect(m_socket, &QSslSocket::errorOccurred, this, &PinnedHttpsGet::onGone);
    m_socket->connectToHostEncrypted(url.host(), static_cast<quint16>(url.port(443)));
}

PinnedHttpsGet::~PinnedHttpsGet()
{
    m_socket->disconnect(this);
    m_socket->abort();
}

void PinnedHttpsGet::onEncrypted()
{
    const QByteArray shown = keyFingerprintOf(m_socket->peerCertificate());
    if (shown.isEmpty() || shown != m_expectedKey) {
        fail(Failure::KeyRefused);
        return;
    }
    m_sent = true;
    m_socket->write(m_request);
}

void PinnedHttpsGet::onReadyRead()
{
    if (!m_sent)
        return; // nothing is taken before the key was judged
    if (!m_head) {
        m_headBytes += m_socket->read(MaxHeadBytes + 4 - m_headBytes.size());
        const qsizetype end = m_headBytes.indexOf("\r\n\r\n");
        if (end < 0) {
            if (m_headBytes.size() > MaxHeadBytes)
                fail(Failure::Network);
            return;
        }
        m_head = parseResponseHead(QByteArrayView(m_headBytes).first(end));
        if (!m_head) {
            fail(Failure::Network);
            return;
        }
        m_early = m_headBytes.mid(end + 4);
        m_headBytes.clear();
        m_left = m_head->contentLength;
    }
    emit readyRead();
}

void PinnedHttpsGet::onGone()
{
    if (m_closed)
        return;
    m_closed = true;
    if (!m_sent && m_failure == Failure::None) {
        // A handshake that failed met no TLS, or a TLS it could not take: either way no key was
        // shown. A connection that never came is only lost.
        const bool noKey = m_socket->state() != QAbstractSocket::UnconnectedState ||
                           m_socket->error() == QAbstractSocket::SslHandshakeFailedError ||
                           m_socket->error() == QAbstractSocket::SslInternalError;
        m_failure = noKey ? Failure::KeyRefused : Failure::Network;
    }
    emit finished();
}

void PinnedHttpsGet::fail(Failure failure)
{
    m_failure = failure;
    m_closed = true;
    m_socket->abort();
    emit finished();
}

QByteArray PinnedHttpsGet::rawHeader(const QByteArray &name) const
{
    if (!m_head)
        return {};
    for (const auto &[field, value] : m_head->fields) {
        if (field.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

qint64 PinnedHttpsGet::read(char *into, qint64 size)
{
    if (!m_head || m_failure != Failure::None)
        return 0;
    if (m_left >= 0)
        size = std::min(size, m_left);
    qint64 got = std::min<qint64>(size, m_early.size());
    std::memcpy(into, m_early.constData(), static_cast<size_t>(got));
    m_early.remove(0, got);
    if (got < size)
        got += std::max<qint64>(m_socket->read(into + got, size - got), 0);
    if (m_left >= 0)
        m_left -= got;
    return got;
}

bool PinnedHttpsGet::isFinished() const
{
    if (m_failure != Failure::None || m_left == 0)
        return true;
    return m_closed && m_early.isEmpty() && m_socket->bytesAvailable() == 0;
}

DownloadReply::Failure PinnedHttpsGet::failure() const
{
    if (m_failure != Failure::None)
        return m_failure;
    // Closed before the length it gave, or before any head.
    return isFinished() && (!m_head || m_left > 0) ? Failure::Network : Failure::None;
}

void PinnedHttpsGet::abort()
{
    if (!isFinished())
        m_failure = Failure::Network;
    m_closed = true;
    m_socket->abort();
}

} // namespace quibo
