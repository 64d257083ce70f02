#pragma once

#include <httplib.h>

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>

// The real quibo-directory binary, started on a free loopback port.
class DirectoryProcess {
public:
    explicit DirectoryProcess(QString database);
    ~DirectoryProcess();
    DirectoryProcess(const DirectoryProcess &) = delete;
    DirectoryProcess &operator=(const DirectoryProcess &) = delete;

    // Starts the server and waits until it says where it listens; false when it does not.
    bool start();
    void killHard(); // SIGKILL, as a crash would
    int stop();      // SIGTERM; the exit code
    bool isRunning() const { return m_process && m_process->state() != QProcess::NotRunning; }
    quint16 port() const { return m_port; }
    QString output() const { return m_output; }

    // GET `target` (already percent-encoded) on a fresh connection.
    httplib::Result get(const std::string &target) const;

private:
    QString m_database;
    std::unique_ptr<QProcess> m_process;
    quint16 m_port = 0;
    QString m_output;
};

struct Finished {
    int exitCode = -1;
    QString output; // stdout and stderr together
};

QString directoryBinary();

// Runs quibo-directory with `arguments` to its end (the command-line actions).
Finished runDirectory(const QStringList &arguments);

// `text` percent-encoded for a query value or a path piece: everything but letters,
// digits and "-._~".
std::string encoded(const std::string &text);
