#pragma once

#include <QString>

namespace quibo {

// Asks a top-level window, found by its exact title, to close. Never waits; when no such
// window exists nothing happens.
class WindowCloser {
public:
    virtual ~WindowCloser();
    virtual void closeWindowTitled(const QString &title) = 0;
};

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
