#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace quibo {

// SIGTERM, SIGINT and SIGHUP as a request to end the program, delivered on the event loop:
// the handler only writes a byte to a socket pair that a notifier watches. A second signal
// ends the program at once, for when the orderly end hangs. One instance at a time; it puts
// the previous handlers back when destroyed.
class EndSignals : public QObject {
    Q_OBJECT
public:
    explicit EndSignals(QObject *parent = nullptr);
    ~EndSignals() override;
    EndSignals(const EndSignals &) = delete;
    EndSignals &operator=(const EndSignals &) = delete;

    // False when the socket pair or a handler could not be set up; the signals then keep
    // their default action.
    [[nodiscard]] bool installed() const { return m_installed; }

signals:
    // Emitted once, for the first signal.
    void endRequested(int signalNumber);

private:
    void readPending();

    int m_fds[2] = {-1, -1};
    bool m_installed = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace quibo
