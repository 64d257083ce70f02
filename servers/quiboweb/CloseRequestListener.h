#pragma once

#include <QLocalServer>
#include <QObject>

class QLocalSocket;

namespace quibo::web {

// The server end of "close the window with this title": a local socket named by windowKey()
// on which a process of the same user writes "close\n".
class CloseRequestListener : public QObject {
    Q_OBJECT
public:
    explicit CloseRequestListener(QObject *parent = nullptr);

    // Starts listening; on failure returns false and says why in `error`.
    bool listen(const QString &key, QString *error);

signals:
    void closeRequested();

private:
    void acceptConnections();
    void readRequest(QLocalSocket *socket);

    QLocalServer m_server;
};

} // namespace quibo::web
