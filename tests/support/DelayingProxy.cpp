#include "DelayingProxy.h"

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QTimer>

namespace quibo::test {

namespace {

using ms = std::chrono::milliseconds;

// One client connection and its own connection to the server; gone once both have closed.
class Link : public QObject {
public:
    Link(QTcpSocket *client, quint16 serverPort, ms delay, const DelayingProxy::RequestDelay &requestDelay,
         QObject *parent)
        : QObject(parent), m_client(client), m_server(new QTcpSocket(this))
    {
        client->setParent(this);
        m_server->connectToHost(QHostAddress::LocalHost, serverPort); // writes wait for the connection
        // A network path delays bytes; it must not also hold small writes back for an ACK.
        m_client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(m_server, &QTcpSocket::connected, this,
                [this] { m_server->setSocketOption(QAbstractSocket::LowDelayOption, 1); });
        const DelayingProxy::RequestDelay common = [delay](const QByteArray &) { return delay; };
        pass(m_client, m_server, requestDelay ? requestDelay : common, &m_toServer);
        pass(m_server, m_client, common, &m_toClient);
        for (QTcpSocket *socket : {m_client, m_server})
            connect(socket, &QAbstractSocket::stateChanged, this, [this] {
                if (m_client->state() == QAbstractSocket::UnconnectedState &&
                    m_server->state() == QAbstractSocket::UnconnectedState)
                    deleteLater();
            });
    }

private:
    // Bytes read from `from` go to `to` once their delay has passed, never before what came
    // earlier; so does the end of the stream.
    void pass(QTcpSocket *from, QTcpSocket *to, const DelayingProxy::RequestDelay &delayOf,
              QDeadlineTimer *last)
    {
        const auto later = [to, last](ms delay, std::function<void()> action) {
            QDeadlineTimer due(delay, Qt::PreciseTimer);
            *last = std::max(due, *last);
            QTimer::singleShot(ms(std::max<qint64>(0, last->remainingTime())), Qt::PreciseTimer, to,
                               std::move(action));
        };
        connect(from, &QTcpSocket::readyRead, this, [=, this] {
            const QByteArray bytes = from->readAll();
            const ms delay = delayOf(bytes);
            if (delay.count() < 0) {
                m_client->abort();
                m_server->abort();
                return;
            }
            later(delay, [to, bytes] { to->write(bytes); });
        });
        connect(from, &QTcpSocket::disconnected, this,
                [later, delayOf, to] { later(delayOf({}), [to] { to->disconnectFromHost(); }); });
    }

    QTcpSocket *m_client;
    QTcpSocket *m_server;
    QDeadlineTimer m_toServer{0};
    QDeadlineTimer m_toClient{0};
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
