#pragma once

#include <QHash>
#include <QSslConfiguration>
#include <QTcpServer>

#include <chrono>
#include <functional>
#include <optional>

class QSocketNotifier;

namespace quibo {

// A listening port shared by clear text and TLS. A TLS connection opens with a handshake record
// (0x16), which no record, chat line or HTTP request begins with: the first byte is looked at
// on the descriptor before any Qt socket reads it, and the connection becomes a QSslSocket
// (handshake started, as the server end) or a plain QTcpSocket, handed out as
// QTcpServer::nextPendingConnection() does. Connections that have sent nothing yet wait at
// most `window`, and at most `waiting` of them at once (the oldest goes first).
class SniffingServer final : public QTcpServer {
public:
    using TlsConfiguration = std::function<std::optional<QSslConfiguration>()>;

    SniffingServer(std::chrono::milliseconds window, int waiting, QObject *parent = nullptr);
    ~SniffingServer() override;

    // Without it, or while it gives nothing, a TLS hello is read as clear text.
    void setTls(TlsConfiguration tls) { m_tls = std::move(tls); }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    // False while the connection has sent nothing.
    bool tryToClassify(qintptr descriptor, bool announce);
    void stopWaiting(qintptr descriptor, bool close);

    const std::chrono::milliseconds m_window;
    const int m_waiting;
    TlsConfiguration m_tls;
    QList<qintptr> m_order; // silent connections, oldest first
    QHash<qintptr, QSocketNotifier *> m_silent;
};

} // namespace quibo
