#pragma once

#include "base/Config.h"
#include "base/Timings.h"

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QObject>

class QTcpServer;
class QTcpSocket;

namespace quibo {

class Dispatcher;
class Wakeup;
class Notices;

// Receives every record sent to this client on the peer port: one connection at a time, each
// read until 512 bytes arrived, the peer closed or Timings::peerReadWindow passed, then
// dispatched to its end (dialogs and sounds included) before the next one is taken.
class Listener : public QObject {
    Q_OBJECT
public:
    Listener(const Config &config, const Timings &timings, Notices &notices, Dispatcher &dispatcher,
             QObject *parent = nullptr);
    ~Listener() override;

    // Starts ListenerThread once; later calls do nothing.
    void start();
    [[nodiscard]] bool isListening() const;

Q_SIGNALS:
    void listening();
    // Three tries failed: "Winsock Error - Please Logoff" was shown; nothing is received.
    void gaveUp();
    // One connection was read, dispatched and closed.
    void recordHandled();

private:
    QCoro::Task<> ListenerThread();
    QCoro::Task<bool> listenWithRetries();
    QCoro::Task<QTcpSocket *> nextConnection();
    QCoro::Task<QByteArray> readRecord(QTcpSocket *socket);

    const Config &m_config;
    const Timings &m_timings;
    Notices &m_notices;
    Dispatcher &m_dispatcher;
    QTcpServer *m_server = nullptr;
    Wakeup *m_newConnections = nullptr;
    bool m_started = false;
};

} // namespace quibo
