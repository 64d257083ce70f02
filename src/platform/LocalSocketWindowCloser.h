#pragma once

#include "ports/WindowCloser.h"

namespace quibo {

// Closes a window of the local web server listening on host:port, through the local socket
// named by windowKey(). Fire and forget: the request goes out from the socket's own signals.
class LocalSocketWindowCloser : public WindowCloser {
public:
    LocalSocketWindowCloser(QString host, quint16 port);
    void closeWindowTitled(const QString &title) override;

private:
    QString m_host;
    quint16 m_port;
};

} // namespace quibo
