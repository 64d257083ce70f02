#pragma once

#include <QProcess>
#include <QString>

namespace quibo::test {

// The real quiboweb ($QUIBO_BIN_DIR/quiboweb), headless, serving `root` on address:port.
// Starting and stopping block: call them between the parts of a test that run the event loop.
class WebServerProcess {
public:
    WebServerProcess() = default;
    ~WebServerProcess() { stop(); }
    WebServerProcess(const WebServerProcess &) = delete;
    WebServerProcess &operator=(const WebServerProcess &) = delete;

    // Waits until it serves; false (see output()) when it does not.
    bool start(const QString &root, const QString &address, quint16 port);
    void stop();
    [[nodiscard]] QString output() const { return m_output; }

private:
    QProcess m_process;
    QString m_output;
};

} // namespace quibo::test
