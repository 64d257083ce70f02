#pragma once

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSslConfiguration>

#include <chrono>
#include <functional>
#include <optional>

class QSslSocket;
class QTcpServer;
class QTcpSocket;
class QTimer;

namespace quibo {

class Wakeup;

// What one connection delivered: its bytes (at most ReadRule::bytes) and where it came from.
struct Received {
    QHostAddress from;
    QByteArray bytes;
    QByteArray peerKey; // the fingerprint of the key a TLS peer showed; empty in clear text
};

struct ReadRule {
    qsizetype bytes = 512;                  // a connection is read until this many arrived,
    std::chrono::milliseconds window{1000}; // or this long passed, or the peer closed
    std::chrono::milliseconds quiet{1000};  // this long with nobody being read: memory goes back
    int connections = 64;                   // read at once; past it, room is made
    int perSource = 8;                      // read at once from one address
    int backlog = 4096;                     // bursts wait here, not in SYN retries a second apart
    int waiting = 256; // complete reads waiting for the consumer; past it, nobody new is read
    std::chrono::milliseconds handshake{0}; // a TLS connection's window is longer by this
    // TLS connections that negotiated peer::KeptRecordsProtocol stay open for many records,
    // at most this many at once (0: none is kept), each closed after `keptIdle` without one.
    int kept = 0;
    std::chrono::milliseconds keptIdle{60000};
};

// A listening port whose connections are read side by side: one that sends nothing, or sends
// slowly, holds up nobody else. Complete reads are handed out one at a time, in the order in
// which they completed. Nothing complete is ever dropped: when reads wait unhandled, new
// connections wait in the backlog.
class IncomingConnections : public QObject {
    Q_OBJECT
public:
    explicit IncomingConnections(ReadRule rule, QObject *parent = nullptr);
    ~IncomingConnections() override;

    // Connections that open with a TLS hello are served with this configuration (see
    // SniffingServer); set before listen().
    void setTls(std::function<std::optional<QSslConfiguration>()> tls) { m_tls = std::move(tls); }

    bool listen(const QHostAddress &address, quint16 port);
    [[nodiscard]] bool isListening() const;
    [[nodiscard]] int reading() const { return int(m_reading.size()); }
    [[nodiscard]] int kept() const { return int(m_kept.size()); }

    // The next complete read; waits for one when none is waiting.
    QCoro::Task<Received> next();

Q_SIGNALS:
    // A connection was read whole; it waits for next().
    void read();

private:
    void acceptPending();
    void makeRoom(const std::function<bool(QTcpSocket *)> &among);
    void check(QTcpSocket *socket);
    void complete(QTcpSocket *socket);
    void forget(QTcpSocket *socket);
    void endWindows();
    void armWindows();
    void encrypted(QSslSocket *socket);
    void keep(QSslSocket *socket);
    void readKept(QSslSocket *socket);
    void dropKept(QSslSocket *socket, bool gracefully);

    const ReadRule m_rule;
    std::function<std::optional<QSslConfiguration>()> m_tls;
    QTcpServer *m_server = nullptr;
    // A timer per connection outlived it by its window: under a flood, thousands of them.
    struct Reading {
        QTcpSocket *socket;
        std::chrono::steady_clock::time_point windowEnd;
    };
    QList<Reading> m_reading; // in the order accepted
    // Kept connections: their records are read one frame at a time, each within the window
    // once its first byte came; between records they wait at most keptIdle.
    struct Kept {
        QSslSocket *socket;
        QByteArray peerKey;
        QByteArray buffer;
        std::chrono::steady_clock::time_point deadline;
    };
    QList<Kept> m_kept; // in the order kept
    QList<Received> m_complete;
    QTimer *m_quiet;
    QTimer *m_windows; // due at the earliest windowEnd
    Wakeup *m_completed;
};

} // namespace quibo
