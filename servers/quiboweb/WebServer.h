#pragma once

#include "ServedRequest.h"
#include "SharedPort.h"

#include <httplib.h>

#include <QString>

#include <atomic>
#include <functional>
#include <thread>

namespace quibo::web {

// Serves the regular files below a folder over HTTP, GET and HEAD only, on a thread of its own
// plus the library's worker threads. Large files are streamed from disk in chunks. Given a TLS
// context, a connection that opens with a TLS handshake is served over TLS, and any other as
// before, on the same port.
class WebServer final : public httplib::Server {
public:
    // Called on a worker thread after each answer; it must only hand the record on.
    using Observer = std::function<void(const ServedRequest &)>;

    WebServer(QString root, Observer observer, shared_port::TlsContext tls = {});
    ~WebServer() override;

    // Serves connections accepted on `listeningFd`, which this server now owns.
    void start(int listeningFd);
    // Stops accepting, ends open connections and waits for every thread.
    void stopAndWait();

private:
    bool process_and_close_socket(::socket_t sock) override;
    HandlerResponse serve(const httplib::Request &request, httplib::Response &response) const;
    void report(const httplib::Request &request, const httplib::Response &response) const;

    const QString m_root;
    const Observer m_observer;
    const shared_port::TlsContext m_tls;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
    int m_listeningFd = -1;
};

} // namespace quibo::web
