#include "peer/Listener.h"

#include "base/Await.h"
#include "base/Tasks.h"
#include "notices/Notices.h"
#include "peer/Dispatcher.h"
#include "peer/PeerRecord.h"
#include "peer/SocketEvents.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace quibo {

namespace {
constexpr int ListenTries = 3;
constexpr int Backlog = 5;
} // namespace

Listener::Listener(const Config &config, const Timings &timings, Notices &notices, Dispatcher &dispatcher,
                   QObject *parent)
    : QObject(parent), m_config(config), m_timings(timings), m_notices(notices), m_dispatcher(dispatcher)
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
    return m_server && m_server->isListening();
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
        QTcpSocket *socket = co_await nextConnection();
        // Further senders wait in the backlog until this record is fully handled.
        m_server->pauseAccepting();
        const QByteArray received = co_await readRecord(socket);
        co_await m_dispatcher.handle(received);
        socket->abort();
        socket->deleteLater();
        m_server->resumeAccepting();
        Q_EMIT recordHandled();
    }
}

QCoro::Task<bool> Listener::listenWithRetries()
{
    for (int attempt = 0; attempt < ListenTries; ++attempt) {
        auto *server = new QTcpServer(this);
        server->setListenBacklogSize(Backlog);
        if (server->listen(m_config.listenAddress, m_config.peerPort)) {
            m_server = server;
            m_newConnections = watchServer(server);
            co_return true;
        }
        delete server;
        co_await sleepFor(this, m_timings.listenRetry);
    }
    co_return false;
}

QCoro::Task<QTcpSocket *> Listener::nextConnection()
{
    while (!m_server->hasPendingConnections())
        co_await m_newConnections->next();
    co_return m_server->nextPendingConnection();
}

QCoro::Task<QByteArray> Listener::readRecord(QTcpSocket *socket)
{
    Wakeup *changes = watchSocket(socket);
    const QDeadlineTimer deadline(m_timings.peerReadWindow);
    while (socket->bytesAvailable() < peer::ReadLimit && socket->state() == QAbstractSocket::ConnectedState) {
        if (!co_await nextChange(changes, deadline))
            break;
    }
    co_return socket->read(peer::ReadLimit);
}

} // namespace quibo
