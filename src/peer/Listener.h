#pragma once

#include "base/Config.h"
#include "base/Timings.h"

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QObject>

namespace quibo {

class Dispatcher;
class IncomingConnections;
class Notices;

// Receives every record sent to this client on the peer port. Connections are read side by
// side, each until 512 bytes arrived, the peer closed or Timings::peerReadWindow passed; the
// records are dispatched one at a time, each to its end (dialogs and sounds included), in the
// order in which they were complete.
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

    const Config &m_config;
    const Timings &m_timings;
    Notices &m_notices;
    Dispatcher &m_dispatcher;
    IncomingConnections *m_incoming;
    bool m_started = false;
};

} // namespace quibo
