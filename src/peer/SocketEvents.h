#pragma once

#include "base/Wakeup.h"

#include <QCoro/QCoroTask>
#include <QDeadlineTimer>

class QAbstractSocket;
class QTcpServer;

namespace quibo {

// A socket's changes (connected, bytes read or written, closed, failed) as one Wakeup, owned
// by the socket.
Wakeup *watchSocket(QAbstractSocket *socket);
// A listening server's new connections as one Wakeup, owned by the server.
Wakeup *watchServer(QTcpServer *server);

// Waits for the next change, at most until `deadline`; false once the deadline has passed.
QCoro::Task<bool> nextChange(Wakeup *wakeup, QDeadlineTimer deadline);

} // namespace quibo
