#pragma once

#include "DirectoryService.h"
#include "WorkerPool.h"

#include <QString>

#include <openssl/types.h>

#include <atomic>
#include <functional>
#include <memory>
#include <variant>
#include <vector>

namespace quibo::directory {

class SharedPortServer;

// Serves a DirectoryService over HTTP and TLS: one port for both, and optionally ports for TLS
// alone, all answered by one pool of `threads` workers; each worker calls `workerEnds` before
// it ends.
class HttpFrontEnd {
public:
    // `tls` must outlive the front end.
    HttpFrontEnd(const DirectoryService &service, SSL_CTX *tls, int threads, std::function<void()> workerEnds);
    ~HttpFrontEnd();
    HttpFrontEnd(const HttpFrontEnd &) = delete;
    HttpFrontEnd &operator=(const HttpFrontEnd &) = delete;

    // The port now bound (the one chosen when `port` is 0), or why binding failed.
    std::variant<quint16, QString> bind(const QString &host, quint16 port);
    std::variant<quint16, QString> bindTlsOnly(const QString &host, quint16 port);
    // Answers requests until stop(); returns false when serving failed.
    bool run();
    // From any thread, also before run() has started.
    void stop();

private:
    struct Listener;
    std::variant<quint16, QString> bindListener(bool tlsOnly, const QString &host, quint16 port);

    const DirectoryService &m_service;
    SSL_CTX *m_tls;
    WorkerPool m_workers;
    std::vector<std::unique_ptr<Listener>> m_listeners;
    std::atomic<bool> m_stopRequested{false};
};

// Why `host`:`port` cannot be bound, worded for the operator.
QString bindProblem(const QString &host, quint16 port);

} // namespace quibo::directory
