#pragma once

#include <QHostAddress>
#include <QProcess>
#include <QTemporaryDir>

namespace quibo::test {

// The real quibo32 ($QUIBO_BIN_DIR/quibo32) with a working folder of its own, registered as
// `handle` with the password "pw", listening on `address` alone.
class RealClient {
public:
    struct Setup {
        QString handle;
        QString address;
        QString directory; // host:port
        quint16 peerPort = 0;
        quint16 webPort = 0;
        QStringList contacts;
    };
    explicit RealClient(Setup setup);
    ~RealClient();

    // Starts it, pressing Connect at once when `connect`; false when it did not start.
    bool start(bool connect);
    // Its handlers for SIGTERM, SIGINT and SIGHUP are in place.
    [[nodiscard]] bool handlesEndSignals() const;
    void signal(int number) const;
    [[nodiscard]] bool ended() const { return m_process.state() == QProcess::NotRunning; }
    [[nodiscard]] QProcess &process() { return m_process; }
    [[nodiscard]] QString folder() const { return m_folder.path(); }
    [[nodiscard]] QString output() { return QString::fromLocal8Bit(m_process.readAll()); }

    // Its local web server takes connections.
    [[nodiscard]] bool webServerAccepts() const;
    // A quiboweb process serving for this client is running.
    [[nodiscard]] bool webServerRunning() const;

private:
    Setup m_setup;
    QTemporaryDir m_folder;
    QProcess m_process;
};

} // namespace quibo::test
