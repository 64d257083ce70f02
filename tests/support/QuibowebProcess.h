#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

#include <chrono>

namespace quibo::test {

// The real quiboweb ($QUIBO_BIN_DIR/quiboweb), started with `arguments`, and what it prints.
// Its waits block: call them between the parts of a test that run the event loop.
class QuibowebProcess {
public:
    // `tlsIdentity` (PEM) is handed as the client hands it.
    explicit QuibowebProcess(const QStringList &arguments, const QByteArray &tlsIdentity = {});
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

} // namespace quibo::test
