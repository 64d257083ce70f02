#pragma once

#include "base/Timings.h"

#include <QCoro/QCoroTask>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <functional>

namespace quibo {

class IncomingConnections;

// A chat port's listener (the channel port, or the private chat port): started on first use,
// never ending once it listens. Each connection is read side by side with the others, up to
// one 512-byte line, then handed to the handler; lines are handled one at a time.
class LineListener : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<QCoro::Task<>(QHostAddress from, QString line)>;

    LineListener(QHostAddress address, quint16 port, const Timings &timings, Handler handler,
                 QObject *parent = nullptr);
    ~LineListener() override;

    // Starts listening once; later calls do nothing.
    void start();
    [[nodiscard]] bool isStarted() const { return m_started; }
    [[nodiscard]] bool isListening() const;

Q_SIGNALS:
    void listening();
    // Ten tries to listen failed, Timings::channelListenRetry apart; nothing is received.
    void gaveUp();
    void lineHandled();

private:
    QCoro::Task<> run();

    const QHostAddress m_address;
    const quint16 m_port;
    const Timings &m_timings;
    Handler m_handler;
    IncomingConnections *m_incoming;
    bool m_started = false;
};

} // namespace quibo
