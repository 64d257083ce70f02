#pragma once

#include "TestFiles.h"

#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QStringList>

#include <chrono>

namespace quibo::web::test {

using quibo::test::freeLoopbackPort;

// The quiboweb binary under test, started with `arguments`, and what it prints.
class QuibowebProcess {
public:
    explicit QuibowebProcess(const QStringList &arguments);
    ~QuibowebProcess();

    // Waits until stdout (or stderr) holds `text`; false on time-out or exit.
    bool waitForOutput(const QByteArray &text) { return waitFor(text, m_output); }
    bool waitForErrorOutput(const QByteArray &text) { return waitFor(text, m_errorOutput); }
    // Waits for the process to end while the event loop runs (close requests go out from it).
    bool waitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(10));

    [[nodiscard]] bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    [[nodiscard]] int exitCode() const { return m_process.exitCode(); }
    [[nodiscard]] QProcess::ExitStatus exitStatus() const { return m_process.exitStatus(); }
    [[nodiscard]] QByteArray output() const { return m_output; }
    [[nodiscard]] QByteArray errorOutput() const { return m_errorOutput; }

private:
    bool waitFor(const QByteArray &text, const QByteArray &in);
    void collect();

    QProcess m_process;
    QByteArray m_output;
    QByteArray m_errorOutput;
};

struct HttpReply {
    int status = 0;                       // 0: no reply
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
};

// Sends `request` byte for byte to 127.0.0.1:port and reads until the server closes.
QByteArray exchange(quint16 port, const QByteArray &request);
// Splits a reply into status, headers and body.
HttpReply parseReply(const QByteArray &reply);
// One request with "Connection: close", the target sent exactly as given.
HttpReply request(quint16 port, const QByteArray &method, const QByteArray &target);

} // namespace quibo::web::test
