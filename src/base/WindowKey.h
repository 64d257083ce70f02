#pragma once

#include <QByteArray>
#include <QString>

namespace quibo {

// The local web server's window title; the client closes the server by this title.
inline const QString WebServerWindowTitle = QStringLiteral("Quibo32 Web Server - Web Server");

// What a closer writes to ask the window to close.
inline const QByteArray CloseRequestLine = QByteArrayLiteral("close\n");

// Name of the local socket on which the window titled `title`, belonging to the web server
// listening on host:port and run by user `uid`, takes close requests. Several servers on one
// machine (one per client in tests) get different names.
QString windowKey(const QString &title, const QString &host, quint16 port, uint uid);

// windowKey() for the current user.
QString windowKey(const QString &title, const QString &host, quint16 port);

} // namespace quibo
