#include "CloseRequestListener.h"

#include "base/WindowKey.h"

#include <QLocalSocket>

#include <sys/socket.h>
#include <unistd.h>

namespace quibo::web {

namespace {

constexpr qint64 MaxRequest = 64;

bool isSameUser(const QLocalSocket *socket)
{
    ucred peer{};
    socklen_t length = sizeof peer;
    return ::getsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0
        && peer.uid == ::getuid();
}

} // namespace

CloseRequestListener::CloseRequestListener(QObject *parent)
    : QObject(parent)
{
    // An abstract name leaves no file behind after a crash; the peer's uid is checked instead.
    m_server.setSocketOptions(QLocalServer::AbstractNamespaceOption);
    connect(&m_server, &QLocalServer::newConnection, this, &CloseRequestListener::acceptConnections);
}

bool CloseRequestListener::listen(const QString &key, QString *error)
{
    if (m_server.listen(key))
        return true;
    *error = m_server.errorString();
    return false;
}

void CloseRequestListener::acceptConnections()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!isSameUser(socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        readRequest(socket);
    }
}

void CloseRequestListener::readRequest(QLocalSocket *socket)
{
    while (socket->canReadLine()) {
        if (socket->readLine(MaxRequest) == CloseRequestLine) {
            emit closeRequested();
            return;
        }
    }
    if (socket->bytesAvailable() >= MaxRequest)
    {
        socket->abort(); // no line end in sight: not one of ours
        socket->deleteLater();
    }
}

} // namespace quibo::web
