#pragma once

#include <QString>
#include <QStringList>

#include <variant>

namespace quibo::directory {

struct CommandLine {
    enum class Action { Serve, SetBroadcast, ClearBroadcast, Help, Version };
    Action action = Action::Serve;
    QString host = QStringLiteral("0.0.0.0");
    quint16 port = 80; // 0: any free port, printed at start
    QString database = QStringLiteral("quibo-directory.sqlite");
    QString broadcastFile;
    int threads = 16;
    // Both or neither; without them the server makes its own.
    QString tlsCertificate;
    QString tlsKey;
    QString stateFolder; // where the self-made certificate lives; empty: see helpText()
    QString httpsHost;   // empty: no port for TLS alone
    quint16 httpsPort = 0;
    bool secureOnly = false;
};

struct CommandLineError {
    QString message;
};

// `arguments` without the program name.
std::variant<CommandLine, CommandLineError> parseCommandLine(const QStringList &arguments);

QString helpText();

} // namespace quibo::directory
