#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpServer>

#include <memory>
#include <vector>

class QTcpSocket;

namespace quibo::test {

// A connection opened by hand: writes bytes as given and closes when told.
class RawConnection {
public:
    RawConnection(const QString &address, quint16 port);
    ~RawConnection();
    bool connected();
    bool write(const QByteArray &bytes);
    void close();

private:
    std::unique_ptr<QTcpSocket> m_socket;
};

// Sends `bytes` on a fresh connection and closes it, as a peer does.
bool sendRaw(const QString &address, quint16 port, const QByteArray &bytes);

// A stand-in listener that keeps every byte each connection brought, one entry a connection.
class CaptureServer : public QObject {
    Q_OBJECT
public:
    CaptureServer(const QString &address, quint16 port);
    [[nodiscard]] bool isListening() const { return m_server.isListening(); }
    // Waits until `n` connections have closed.
    bool waitForRecords(int n);

    QList<QByteArray> records;

private:
    QTcpServer m_server;
};

// A proxy between two peers that keeps every byte it carried, both ways: what anyone on the
// path would see. It listens on `ports` of `address` and goes on to the same port of `target`,
// from the address the connection came from (loopback lets it), as chat ports want.
class RecordingProxy : public QObject {
    Q_OBJECT
public:
    RecordingProxy(const QString &address, const QList<quint16> &ports, QString target);
    [[nodiscard]] bool isListening() const;

    QByteArray carried;

private:
    void accept(QTcpServer *server);

    std::vector<std::unique_ptr<QTcpServer>> m_servers;
    QString m_target;
};

} // namespace quibo::test
