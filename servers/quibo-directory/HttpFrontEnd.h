#pragma once

#include "DirectoryService.h"

#include <httplib.h>

#include <QString>

#include <atomic>
#include <functional>
#include <variant>

namespace quibo::directory {

// Serves a DirectoryService over HTTP, a pool of `threads` workers answering requests; each
// worker calls `workerEnds` before it ends.
class HttpFrontEnd {
public:
    HttpFrontEnd(const DirectoryService &service, int threads, std::function<void()> workerEnds);

    // The port now bound (the one chosen when `port` is 0), or why binding failed.
    std::variant<quint16, QString> bind(const QString &host, quint16 port);
    // Answers requests until stop(); returns false when serving failed.
    bool run();
    // From any thread, also before run() has started.
    void stop();

private:
    httplib::Server m_server;
    socket_t m_listening = INVALID_SOCKET;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_finished{false};
};

// Why `host`:`port` cannot be bound, worded for the operator.
QString bindProblem(const QString &host, quint16 port);

} // namespace quibo::directory
