#include "channel/LineListener.h"

#include "base/Await.h"
#include "base/Tasks.h"
#include "channel/ChannelLine.h"
#include "peer/IncomingConnections.h"

namespace quibo {

namespace {
constexpr int ListenTries = 10;
}

LineListener::LineListener(QHostAddress address, quint16 port, const Timings &timings, Handler handler,
                           QObject *parent)
    : QObject(parent), m_address(std::move(address)), m_port(port), m_timings(timings),
      m_handler(std::move(handler)),
      m_incoming(new IncomingConnections({channel::LineBytes, timings.peerReadWindow, timings.listenerQuiet}, this))
{
}

LineListener::~LineListener() = default;

void LineListener::start()
{
    if (m_started)
        return;
    m_started = true;
    startTask(this, "chat line listener", [this] { return run(); });
}

bool LineListener::isListening() const
{
    return m_incoming->isListening();
}

QCoro::Task<> LineListener::run()
{
    for (int attempt = 1; !m_incoming->listen(m_address, m_port); ++attempt) {
        if (attempt == ListenTries) {
            Q_EMIT gaveUp();
            co_return;
        }
        co_await sleepFor(this, m_timings.channelListenRetry);
    }
    Q_EMIT listening();
    for (;;) {
        const Received received = co_await m_incoming->next();
        co_await m_handler(received.from, channel::receivedLine(received.bytes));
        Q_EMIT lineHandled();
    }
}

} // namespace quibo
