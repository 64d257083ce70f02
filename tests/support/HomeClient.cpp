#include "HomeClient.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <vector>

namespace quibo::test {

using Clock = std::chrono::steady_clock;

HomeClient::HomeClient(const QString &ns, const QStringList &arguments)
{
    QList<QByteArray> words{"ip", "netns", "exec", ns.toLocal8Bit(),
                            qgetenv("QUIBO_BIN_DIR") + "/quibo_home_client"};
    for (const QString &word : arguments)
        words.append(word.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::array<int, 2> in{}, out{};
    if (::pipe2(in.data(), O_CLOEXEC) != 0 || ::pipe2(out.data(), O_CLOEXEC) != 0)
        return;
    // fork and exec, not QProcess: see NetLab.
    m_pid = ::fork();
    if (m_pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(out[1], STDERR_FILENO);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    m_in = in[1];
    m_out = out[0];
}

HomeClient::~HomeClient()
{
    if (m_pid > 0)
        finish(std::chrono::milliseconds(0));
    for (const int fd : {m_in, m_out}) {
        if (fd >= 0)
            ::close(fd);
    }
}

void HomeClient::send(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    if (m_in >= 0 && ::write(m_in, bytes.constData(), static_cast<size_t>(bytes.size())) != bytes.size())
        m_lines.append(QStringLiteral("(could not send: %1)").arg(line));
}

void HomeClient::signal(int number)
{
    if (m_pid > 0)
        ::kill(m_pid, number);
}

bool HomeClient::readSome(std::chrono::milliseconds limit)
{
    if (m_out < 0)
        return false;
    pollfd ready{m_out, POLLIN, 0};
    if (::poll(&ready, 1, static_cast<int>(limit.count())) <= 0)
        return true;
    std::array<char, 4096> buffer{};
    const ssize_t got = ::read(m_out, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR)
        return true;
    if (got <= 0) {
        ::close(m_out);
        m_out = -1;
        return false;
    }
    m_pending.append(buffer.data(), got);
    for (qsizetype end = 0; (end = m_pending.indexOf('\n')) >= 0; m_pending.remove(0, end + 1))
        m_lines.append(QString::fromUtf8(m_pending.left(end)));
    return true;
}

bool HomeClient::waitFor(const QString &start, std::chrono::milliseconds limit)
{
    return waitUntil(
        [&] {
            return std::any_of(m_lines.cbegin(), m_lines.cend(),
                               [&](const QString &line) { return line.startsWith(start); });
        },
        limit);
}

bool HomeClient::waitUntil(const std::function<bool()> &done, std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    for (;;) {
        if (done())
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || !readSome(left))
            return false;
    }
}

int HomeClient::finish(std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    for (auto left = limit; left.count() > 0 && readSome(left);)
        left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (m_pid <= 0)
        return -1;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == 0) {
        ::kill(m_pid, SIGKILL);
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace quibo::test
