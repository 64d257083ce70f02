#pragma once

#include <QString>

namespace quibo::web {

struct ListeningSocket {
    int fd = -1;   // bound and listening; -1 on failure
    QString error; // on failure: one line saying what and why
};

// Binds host:port (with SO_REUSEADDR) and listens. Done here rather than by the HTTP library so
// that a failure can say why.
ListeningSocket openListeningSocket(const QString &host, quint16 port);

// The line shown when host:port cannot be bound: `reason` is the system's text, errnoValue picks
// a hint (a port in use, or a privileged port).
QString bindFailureText(const QString &host, quint16 port, int errnoValue, const QString &reason);

} // namespace quibo::web
