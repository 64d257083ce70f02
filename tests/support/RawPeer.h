#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpServer>

#include <memory>

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
// path would see.
class RecordingProxy : public QObject {
    Q_OBJECT
public:
    RecordingProxy(const QString &address, quint16 port, QString target);
    [[nodiscard]] bool isListening() const { return m_server.isListening(); }

    QByteArray carried;

private:
    QTcpServer m_server;
    QString m_target;
};

} // namespace quibo::test
