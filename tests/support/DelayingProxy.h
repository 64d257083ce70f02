#pragma once

#include <QObject>
#include <QString>
#include <QTcpServer>

#include <chrono>
#include <functional>

namespace quibo::test {

// A TCP proxy on 127.0.0.1 in front of a server on 127.0.0.1, for tests and benchmarks that need
// a slow network: every chunk of bytes goes on after a delay, in order, in each direction. Runs
// on the event loop of the thread it lives in.
class DelayingProxy : public QObject {
    Q_OBJECT
public:
    // The delay of one chunk the client sent; negative: the connection is cut instead.
    using RequestDelay = std::function<std::chrono::milliseconds(const QByteArray &chunk)>;

    // Every chunk waits `delay`, whichever way it goes.
    DelayingProxy(quint16 serverPort, std::chrono::milliseconds delay, QObject *parent = nullptr);
    // Decides the delay of each chunk the client sends; the answers keep the common delay.
    void setRequestDelay(RequestDelay requestDelay) { m_requestDelay = std::move(requestDelay); }

    // Listens on a free port; false when it cannot.
    bool listen();
    // "127.0.0.1:port", what Config::setDirectory takes.
    [[nodiscard]] QString authority() const;

private:
    void accept();

    QTcpServer m_listener;
    quint16 m_serverPort;
    std::chrono::milliseconds m_delay;
    RequestDelay m_requestDelay;
};

} // namespace quibo::test
