#pragma once

#include <QCoro/QCoroTask>
#include <QDeadlineTimer>
#include <QObject>

class QAbstractSocket;

namespace quibo {

// Turns every change of a socket (connected, bytes read or written, closed, failed) into one
// signal to await. A child of its socket, so a wait on it ends with the socket.
class SocketEvents : public QObject {
    Q_OBJECT
public:
    explicit SocketEvents(QAbstractSocket *socket);

Q_SIGNALS:
    void changed();
};

// Waits for the next change of the socket, at most until `deadline`; false once it has passed.
QCoro::Task<bool> nextChange(SocketEvents *events, QDeadlineTimer deadline);

} // namespace quibo
