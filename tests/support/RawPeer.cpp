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

RecordingProxy::RecordingProxy(const QString &address, quint16 port, QString target)
    : m_target(std::move(target))
{
    m_server.listen(QHostAddress(address), port);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *in = m_server.nextPendingConnection()) {
            auto *out = new QTcpSocket(in);
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
            connect(in, &QAbstractSocket::disconnected, in, &QObject::deleteLater);
            out->connectToHost(QHostAddress(m_target), m_server.serverPort());
        }
    });
}

} // namespace quibo::test
