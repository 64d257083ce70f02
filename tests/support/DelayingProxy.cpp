#include "DelayingProxy.h"

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QTimer>

#include <deque>

namespace quibo::test {

namespace {

using ms = std::chrono::milliseconds;

// One direction of a connection: bytes read from one socket are written to the other once
// their time has come; the end of the stream goes on the same way.
class DelayLine : public QObject {
public:
    DelayLine(QTcpSocket *from, QTcpSocket *to, std::function<ms(const QByteArray &)> delayOf,
              QObject *parent)
        : QObject(parent), m_from(from), m_to(to), m_delayOf(std::move(delayOf))
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, &DelayLine::flush);
        connect(from, &QTcpSocket::readyRead, this, [this] { take(m_from->readAll(), false); });
        connect(from, &QTcpSocket::disconnected, this,
                [this] { take(m_from->isOpen() ? m_from->readAll() : QByteArray(), true); });
    }

private:
    struct Chunk {
        QDeadlineTimer due;
        QByteArray bytes;
        bool end = false;
    };

    void take(const QByteArray &bytes, bool end)
    {
        if (!bytes.isEmpty()) {
            const ms delay = m_delayOf(bytes);
            if (delay.count() < 0) {
                m_from->abort();
                m_to->abort();
                return;
            }
            queue({bytes, delay, false});
        }
        if (end)
            queue({{}, ms(0), true});
    }

    struct Incoming {
        QByteArray bytes;
        ms delay;
        bool end;
    };
    void queue(Incoming in)
    {
        QDeadlineTimer due(in.delay, Qt::PreciseTimer);
        if (!m_chunks.empty() && due < m_chunks.back().due)
            due = m_chunks.back().due; // never overtake what came before
        m_chunks.push_back({due, std::move(in.bytes), in.end});
        schedule();
    }

    void flush()
    {
        while (!m_chunks.empty() && m_chunks.front().due.hasExpired()) {
            Chunk chunk = std::move(m_chunks.front());
            m_chunks.pop_front();
            if (chunk.end)
                m_to->disconnectFromHost();
            else
                m_to->write(chunk.bytes);
        }
        schedule();
    }

    void schedule()
    {
        if (!m_chunks.empty() && !m_timer.isActive())
            m_timer.start(std::max<qint64>(0, m_chunks.front().due.remainingTime()));
    }

    QTcpSocket *m_from;
    QTcpSocket *m_to;
    std::function<ms(const QByteArray &)> m_delayOf;
    std::deque<Chunk> m_chunks;
    QTimer m_timer;
};

// One client connection and its own connection to the server; gone once both have closed.
class Link : public QObject {
public:
    Link(QTcpSocket *client, quint16 serverPort, ms delay, const DelayingProxy::RequestDelay &requestDelay,
         QObject *parent)
        : QObject(parent), m_client(client), m_server(new QTcpSocket(this))
    {
        client->setParent(this);
        m_server->connectToHost(QHostAddress::LocalHost, serverPort);
        const DelayingProxy::RequestDelay common = [delay](const QByteArray &) { return delay; };
        new DelayLine(client, m_server, requestDelay ? requestDelay : common, this);
        new DelayLine(m_server, client, common, this);
        for (QTcpSocket *socket : {m_client, m_server})
            connect(socket, &QAbstractSocket::stateChanged, this, &Link::endWhenClosed);
    }

private:
    void endWhenClosed()
    {
        if (m_client->state() == QAbstractSocket::UnconnectedState &&
            m_server->state() == QAbstractSocket::UnconnectedState)
            deleteLater();
        else if (m_server->state() == QAbstractSocket::UnconnectedState &&
                 m_server->error() == QAbstractSocket::ConnectionRefusedError)
            m_client->abort();
    }

    QTcpSocket *m_client;
    QTcpSocket *m_server;
};

} // namespace

DelayingProxy::DelayingProxy(quint16 serverPort, std::chrono::milliseconds delay, QObject *parent)
    : QObject(parent), m_serverPort(serverPort), m_delay(delay)
{
    connect(&m_listener, &QTcpServer::newConnection, this, &DelayingProxy::accept);
}

bool DelayingProxy::listen()
{
    return m_listener.listen(QHostAddress::LocalHost, 0);
}

QString DelayingProxy::authority() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_listener.serverPort());
}

void DelayingProxy::accept()
{
    while (QTcpSocket *client = m_listener.nextPendingConnection())
        new Link(client, m_serverPort, m_delay, m_requestDelay, this);
}

} // namespace quibo::test
