#pragma once

#include <QString>
#include <QStringList>

#include <sys/types.h>

#include <chrono>
#include <functional>

namespace quibo::test {

// A client of its own process (quibo_home_client) in network namespace `ns`: lines in, what its
// user sees out (see home_client_main.cpp). It dies with the test. Its waits block.
class HomeClient {
public:
    HomeClient(const QString &ns, const QStringList &arguments);
    // Kills it if it still runs.
    ~HomeClient();
    HomeClient(const HomeClient &) = delete;
    HomeClient &operator=(const HomeClient &) = delete;

    void send(const QString &line);
    void signal(int number);
    // Waits until it has printed a line that starts with `start` (true), ends, or `limit` passes.
    bool waitFor(const QString &start, std::chrono::milliseconds limit = std::chrono::seconds(60));
    // The same until `done` holds, asked again after each line.
    bool waitUntil(const std::function<bool()> &done,
                   std::chrono::milliseconds limit = std::chrono::seconds(60));
    // Waits for its end, killing it past `limit`: its exit code, -1 unless it exited.
    int finish(std::chrono::milliseconds limit = std::chrono::seconds(60));
    // Every line it printed so far.
    [[nodiscard]] const QStringList &lines() const { return m_lines; }
    [[nodiscard]] QStringList linesStarting(const QString &start) const { return m_lines.filter(start); }
    [[nodiscard]] std::string transcript() const { return m_lines.join(u'\n').toStdString(); }

private:
    // Reads what is there within `limit`; false at the end of its output.
    bool readSome(std::chrono::milliseconds limit);

    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
    QByteArray m_pending;
    QStringList m_lines;
};

} // namespace quibo::test
