#include "platform/LocalSocketWindowCloser.h"

#include "base/WindowKey.h"

#include <QLocalSocket>

#include <utility>

namespace quibo {

LocalSocketWindowCloser::LocalSocketWindowCloser(QString host, quint16 port)
    : m_host(std::move(host)), m_port(port)
{
}

void LocalSocketWindowCloser::closeWindowTitled(const QString &title)
{
    // The socket owns itself: it deletes itself once the request is out or the connection failed.
    auto *socket = new QLocalSocket;
    socket->setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    QObject::connect(socket, &QLocalSocket::connected, socket, [socket] {
        socket->write(CloseRequestLine);
        // Hand the bytes to the kernel now, so they arrive even if this process ends right after.
        socket->flush();
        socket->disconnectFromServer();
    });
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QLocalSocket::errorOccurred, socket, &QObject::deleteLater);
    socket->connectToServer(windowKey(title, m_host, m_port));
}

} // namespace quibo
