#include "RawPeer.h"

#include "TestClient.h"

#include <QTcpSocket>

namespace quibo::test {

RawConnection::RawConnection(const QString &address, quint16 port) : m_socket(std::make_unique<QTcpSocket>())
{
    m_socket->connectToHost(QHostAddress(address), port);
}

RawConnection::~RawConnection() = default;

bool RawConnection::connected()
{
    return waitFor([this] { return m_socket->state() == QAbstractSocket::ConnectedState; });
}

bool RawConnection::write(const QByteArray &bytes)
{
    if (!connected() || m_socket->write(bytes) != bytes.size())
        return false;
    return waitFor([this] { return m_socket->bytesToWrite() == 0; });
}

void RawConnection::close()
{
    m_socket->disconnectFromHost();
}

bool sendRaw(const QString &address, quint16 port, const QByteArray &bytes)
{
    RawConnection c(address, port);
    if (!c.connected())
        return false;
    const bool ok = bytes.isEmpty() || c.write(bytes);
    c.close();
    return ok;
}

CaptureServer::CaptureServer(const QString &address, quint16 port)
{
    m_server.listen(QHostAddress(address), port);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            auto *bytes = new QByteArray;
            connect(socket, &QTcpSocket::readyRead, socket,
                    [socket, bytes] { bytes->append(socket->readAll()); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket, bytes] {
                bytes->append(socket->readAll());
                records.append(*bytes);
                delete bytes;
                socket->deleteLater();
            });
        }
    });
}

bool CaptureServer::waitForRecords(int n)
{
    return waitFor([this, n] { return records.size() >= n; });
}

RecordingProxy::RecordingProxy(const QString &address, const QList<quint16> &ports, QString target)
    : m_target(std::move(target))
{
    for (const quint16 port : ports) {
        auto *server = m_servers.emplace_back(std::make_unique<QTcpServer>()).get();
        server->listen(QHostAddress(address), port);
        connect(server, &QTcpServer::newConnection, this, [this, server] { accept(server); });
    }
}

bool RecordingProxy::isListening() const
{
    return std::all_of(m_servers.cbegin(), m_servers.cend(), [](const auto &s) { return s->isListening(); });
}

void RecordingProxy::accept(QTcpServer *server)
{
    while (QTcpSocket *in = server->nextPendingConnection()) {
        auto *out = new QTcpSocket(this); // each end closes when it has passed on all it got
        const auto pipe = [this](QTcpSocket *from, QTcpSocket *to) {
            connect(from, &QIODevice::readyRead, to, [this, from, to] {
                const QByteArray bytes = from->readAll();
                carried += bytes;
                to->write(bytes);
            });
            connect(from, &QAbstractSocket::disconnected, to, [to] { to->disconnectFromHost(); });
        };
        pipe(in, out);
        pipe(out, in);
        for (QTcpSocket *end : {in, out})
            connect(end, &QAbstractSocket::disconnected, end, &QObject::deleteLater);
        out->bind(in->peerAddress());
        out->connectToHost(QHostAddress(m_target), server->serverPort());
    }
}

} // namespace quibo::test
