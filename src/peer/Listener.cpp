#include "peer/Listener.h"

#include "base/Await.h"
#include "base/Tasks.h"
#include "peer/PeerRecord.h"

namespace quibo {

namespace {
ReadRule readRule(const ListenRule &rule, const Timings &timings)
{
    ReadRule read{rule.bytes, timings.peerReadWindow, timings.listenerQuiet};
    read.handshake = timings.tlsHandshake;
    read.kept = rule.kept;
    // Longer than the sender's: it is the sender that closes an idle one, so that a record
    // seldom meets a close on its way.
    read.keptIdle = 2 * timings.keptConnectionIdle;
    return read;
}
} // namespace

ListenRule peerPortRule()
{
    return {3, &Timings::listenRetry, true, peer::ReadLimit, 32};
}

Listener::Listener(QHostAddress address, quint16 port, ListenRule rule, const Timings &timings,
                   Handler handler, QObject *parent)
    : QObject(parent), m_address(std::move(address)), m_port(port), m_rule(rule), m_timings(timings),
      m_handler(std::move(handler)),
      m_incoming(new IncomingConnections(readRule(rule, timings), this))
{
    connect(m_incoming, &IncomingConnections::read, this, &Listener::connectionRead);
}

Listener::~Listener() = default;

void Listener::setTls(std::function<std::optional<QSslConfiguration>()> tls, Admits admits)
{
    m_incoming->setTls(std::move(tls));
    m_admits = std::move(admits);
}

void Listener::start()
{
    if (m_started)
        return;
    m_started = true;
    startTask(this, "listener", [this] { return run(); });
}

bool Listener::isListening() const
{
    return m_incoming->isListening();
}

int Listener::reading() const
{
    return m_incoming->reading();
}

int Listener::kept() const
{
    return m_incoming->kept();
}

QCoro::Task<> Listener::run()
{
    for (int attempt = 1; !m_incoming->listen(m_address, m_port); ++attempt) {
        const bool last = attempt == m_rule.tries;
        if (!last || m_rule.pauseAfterLast)
            co_await sleepFor(this, m_timings.*m_rule.pause);
        if (last) {
            Q_EMIT gaveUp();
            co_return;
        }
    }
    Q_EMIT listening();
    for (;;) {
        Received received = co_await m_incoming->next();
        if (m_names)
            received.from = m_names(received.from);
        if (!m_admits || m_admits(received))
            co_await m_handler(std::move(received));
        else
            qWarning("peer: dropped what came to port %u from %s without the key of the secure contact there",
                     unsigned(m_port), qPrintable(received.from.toString()));
        Q_EMIT handled();
    }
}

} // namespace quibo
