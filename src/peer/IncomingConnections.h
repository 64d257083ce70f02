#pragma once

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QHostAddress>
#include <QList>
#include <QObject>

#include <chrono>

class QTcpServer;
class QTcpSocket;

namespace quibo {

class Wakeup;

// What one connection delivered: its bytes (at most ReadRule::bytes) and where it came from.
struct Received {
    QHostAddress from;
    QByteArray bytes;
};

struct ReadRule {
    qsizetype bytes = 512;                  // a connection is read until this many arrived,
    std::chrono::milliseconds window{1000}; // or this long passed, or the peer closed
    int connections = 64;                   // read at once; past it the oldest silent one goes
    int perSource = 8;                      // read at once from one address
    int backlog = 128;
    int waiting = 1024; // complete reads kept for the consumer; past it the oldest is dropped
};

// A listening port whose connections are read side by side: one that sends nothing, or sends
// slowly, holds up nobody else. Complete reads are handed out one at a time, in the order in
// which they completed.
class IncomingConnections : public QObject {
    Q_OBJECT
public:
    explicit IncomingConnections(ReadRule rule, QObject *parent = nullptr);
    ~IncomingConnections() override;

    bool listen(const QHostAddress &address, quint16 port);
    [[nodiscard]] bool isListening() const;
    [[nodiscard]] int reading() const { return int(m_reading.size()); }

    // The next complete read; waits for one when none is waiting.
    QCoro::Task<Received> next();

private:
    void acceptPending();
    void dropOldestFrom(const QHostAddress &source);
    void dropOldest();
    void check(QTcpSocket *socket);
    void complete(QTcpSocket *socket);
    void forget(QTcpSocket *socket);

    const ReadRule m_rule;
    QTcpServer *m_server = nullptr;
    QList<QTcpSocket *> m_reading; // in the order accepted
    QList<Received> m_complete;
    Wakeup *m_completed;
};

} // namespace quibo
