#pragma once

#include "directory/HttpWire.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <vector>

class QTcpSocket;

namespace quibo {

// One GET to the directory server. It finishes once: with the response's body, or as an
// internet error (refused, unknown host, time-out, cut off, not HTTP). Deleting it cancels it.
class DirectoryRequest : public QObject {
    Q_OBJECT
public:
    [[nodiscard]] bool isFinished() const { return m_finished; }
    [[nodiscard]] bool answered() const { return m_answered; }
    [[nodiscard]] const QByteArray &body() const { return m_body; }

Q_SIGNALS:
    void finished();

private:
    friend class DirectoryConnections;
    DirectoryRequest(QString host, quint16 port, QByteArray bytes, QObject *parent);
    void finish(bool answered, QByteArray body = {});

    QString m_host;
    quint16 m_port;
    QByteArray m_bytes;
    bool m_finished = false;
    bool m_answered = false;
    bool m_retried = false;
    QByteArray m_body;
};

// Keep-alive connections to the directory server, at most `limit` open at once, shared by
// every request; requests beyond the limit wait their turn. A request that meets a kept
// connection the server has just closed is sent once more on a new one.
class DirectoryConnections : public QObject {
    Q_OBJECT
public:
    DirectoryConnections(std::chrono::milliseconds timeout, int limit, QObject *parent = nullptr);
    ~DirectoryConnections() override;

    // Starts a GET of `target` ("/path?query", encoded) from host:port, announced by
    // `hostHeader`. The request is a child of this object until the caller takes it.
    DirectoryRequest *get(const QString &host, quint16 port, QByteArrayView hostHeader, QByteArrayView target);

private:
    struct Connection {
        QTcpSocket *socket = nullptr;
        QString host;
        quint16 port = 0;
        DirectoryRequest *request = nullptr; // cleared when the request is deleted
        http_wire::ResponseReader reader;
        bool used = false; // has carried a request before this one
    };

    void dispatch();
    Connection *idleConnection(const DirectoryRequest &request);
    void open(DirectoryRequest *request);
    void assign(Connection &connection, DirectoryRequest *request);
    void readFrom(Connection &connection);
    void lost(Connection &connection);
    void close(Connection &connection);
    void cancelled(QObject *request);
    void timedOut(DirectoryRequest *request);
    Connection *connectionOf(const QTcpSocket *socket);

    const std::chrono::milliseconds m_timeout;
    const int m_limit;
    const QByteArray m_acceptLanguage;
    std::vector<std::unique_ptr<Connection>> m_connections;
    QList<DirectoryRequest *> m_waiting;
};

} // namespace quibo
