#include "peer/Listener.h"

#include "base/Await.h"
#include "base/Tasks.h"
#include "notices/Notices.h"
#include "peer/Dispatcher.h"
#include "peer/IncomingConnections.h"
#include "peer/PeerRecord.h"

namespace quibo {

namespace {
constexpr int ListenTries = 3;
} // namespace

Listener::Listener(const Config &config, const Timings &timings, Notices &notices, Dispatcher &dispatcher,
                   QObject *parent)
    : QObject(parent), m_config(config), m_timings(timings), m_notices(notices), m_dispatcher(dispatcher),
      m_incoming(new IncomingConnections({peer::ReadLimit, timings.peerReadWindow, timings.listenerQuiet}, this))
{
}

Listener::~Listener() = default;

void Listener::start()
{
    if (m_started)
        return;
    m_started = true;
    startTask(this, "listener", [this] { return ListenerThread(); });
}

bool Listener::isListening() const
{
    return m_incoming->isListening();
}

QCoro::Task<> Listener::ListenerThread()
{
    if (!co_await listenWithRetries()) {
        co_await m_notices.showSystemMessage(DialogOwner::Desktop,
                                             QStringLiteral("Winsock Error - Please Logoff"),
                                             QStringLiteral("Error Code 1001"));
        Q_EMIT gaveUp();
        co_return;
    }
    Q_EMIT listening();
    for (;;) {
        const Received received = co_await m_incoming->next();
        co_await m_dispatcher.handle(received.bytes);
        Q_EMIT recordHandled();
    }
}

QCoro::Task<bool> Listener::listenWithRetries()
{
    for (int attempt = 0; attempt < ListenTries; ++attempt) {
        if (m_incoming->listen(m_config.listenAddress, m_config.peerPort))
            co_return true;
        co_await sleepFor(this, m_timings.listenRetry);
    }
    co_return false;
}

} // namespace quibo
