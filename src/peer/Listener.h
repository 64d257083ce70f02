#pragma once

#include "base/Timings.h"
#include "peer/IncomingConnections.h"

#include <QCoro/QCoroTask>
#include <QHostAddress>
#include <QObject>

#include <functional>

namespace quibo {

// How a port is listened on: the tries to listen, the pause after a failed one (also after
// the last, or not, before giving up), and the most a connection may bring.
struct ListenRule {
    int tries;
    Timings::ms Timings::*pause;
    const bool pauseAfterLast;
    qsizetype bytes;
    int kept = 0; // TLS connections kept for many records at once (see ReadRule::kept)
};

// The peer port: three tries, each failure followed by Timings::listenRetry (about 15 s in
// all), for one record each, or many on a kept connection from a secure contact.
ListenRule peerPortRule();

// Receives what is sent to one port of this client: the peer port's records (`ListenerThread`)
// and the chat ports' lines. Started once, on first use, it never ends once it listens.
// Connections are read side by side, each until its bytes arrived, the peer closed or
// Timings::peerReadWindow passed; what they brought is handed to the handler one at a time,
// each to its end (dialogs and sounds included), in the order in which it was complete.
class Listener : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<QCoro::Task<>(Received received)>;

    Listener(QHostAddress address, quint16 port, ListenRule rule, const Timings &timings, Handler handler,
             QObject *parent = nullptr);
    ~Listener() override;

    // Connections that open with a TLS hello are served with `tls` (see SniffingServer); what
    // `admits` refuses is dropped (logged) before the handler sees it. Set before start().
    using Admits = std::function<bool(const Received &received)>;
    void setTls(std::function<std::optional<QSslConfiguration>()> tls, Admits admits = {});

    // The source a connection came from, as the handler and `admits` are to see it (a contact's
    // IPv6 source named by its address). Set before start().
    using SourceNames = std::function<QHostAddress(const QHostAddress &source)>;
    void nameSources(SourceNames names) { m_names = std::move(names); }

    // Starts listening once; later calls do nothing.
    void start();
    [[nodiscard]] bool isListening() const;
    // Connections accepted and still being read.
    [[nodiscard]] int reading() const;
    // Connections kept open for many records.
    [[nodiscard]] int kept() const;

Q_SIGNALS:
    void listening();
    // Every try failed; nothing is received. Whoever owns the port tells the user.
    void gaveUp();
    // A connection was read whole and waits its turn (tests watch a handler held up on purpose).
    void connectionRead();
    // One connection was read, handled and closed.
    void handled();

private:
    QCoro::Task<> run();

    const QHostAddress m_address;
    const quint16 m_port;
    const ListenRule m_rule;
    const Timings &m_timings;
    Handler m_handler;
    Admits m_admits;
    SourceNames m_names;
    IncomingConnections *m_incoming;
    bool m_started = false;
};

} // namespace quibo
