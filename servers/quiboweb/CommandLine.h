#pragma once

#include <QString>
#include <QStringList>

namespace quibo::web {

// What the server serves and where. The defaults are how the client starts it.
struct WebServerOptions {
    QString root = QStringLiteral("./html");
    QString host = QStringLiteral("::"); // both families
    quint16 port = 80;
    bool headless = false;
};

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    WebServerOptions options;
    QString error; // for Action::Error: what was wrong, one line
};

// Parses the arguments after the program name.
CommandLine parseCommandLine(const QStringList &arguments);

// Splits "HOST:PORT" ("[v6]:PORT" for IPv6); false when malformed or the port is not 1..65535.
bool parseListenAddress(const QString &text, QString *host, quint16 *port);

// The inverse of parseListenAddress(): "HOST:PORT", or "[v6]:PORT".
QString formatListenAddress(const QString &host, quint16 port);

QString usageText();

} // namespace quibo::web
