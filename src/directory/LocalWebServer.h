#pragma once

#include <QString>
#include <QStringList>

namespace quibo {

struct Config;
class Shell;
class WindowCloser;
class WorkingDirectory;

// The contract with the local web server program "quiboweb", which serves "html": the client
// starts it at Connect and asks its window to close at logoff, and never waits for either.
class LocalWebServer {
public:
    LocalWebServer(const Config &config, const WorkingDirectory &dir, Shell &shell, WindowCloser &closer);

    // Starts "quiboweb" from the working directory, else the installed one beside the client.
    void start();
    // Asks the window titled "Quibo32 Web Server - Web Server" to close.
    void close();

    // The program's arguments: none when it serves the default address and port, else where
    // to listen, so that it and the closer agree on which server is meant.
    static QStringList arguments(const Config &config);
    // The user's certificate and key (PEM) the program is handed, so that secure contacts
    // download over HTTPS from that key; empty when there is no key.
    static QByteArray tlsIdentity(const WorkingDirectory &dir);

private:
    const Config &m_config;
    const WorkingDirectory &m_dir;
    Shell &m_shell;
    WindowCloser &m_closer;
};

} // namespace quibo
