#pragma once

#include "base/Wakeup.h"

#include <QCoro/QCoroTask>
#include <QDeadlineTimer>

class QAbstractSocket;
class QObject;
class QTcpServer;
class QTcpSocket;

namespace quibo {

// Every socket to or from a peer, a contact's web server or the directory: TLS or plain, and
// never asking for a proxy. Peers are reached directly, and the system's proxy look-up costs
// more than a loopback delivery and runs threads of its own.
QTcpSocket *directSocket(bool tls, QObject *parent);

// A socket's changes (connected, bytes read or written, closed, failed) as one Wakeup, owned
// by the socket.
Wakeup *watchSocket(QAbstractSocket *socket);
// A listening server's new connections as one Wakeup, owned by the server.
Wakeup *watchServer(QTcpServer *server);

// Waits for the next change, at most until `deadline`; false once the deadline has passed.
QCoro::Task<bool> nextChange(Wakeup *wakeup, QDeadlineTimer deadline);

} // namespace quibo
