#include "NetLab.h"

#include <QCoreApplication>
#include <QFile>
#include <QList>

#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <vector>

using namespace Qt::StringLiterals;

namespace quibo::test {

namespace {

constexpr const char *ScriptLimit = "120"; // seconds
constexpr int SkipCode = 77;               // the script cannot build a lab on this machine

// Runs `command` to its end, at most ScriptLimit seconds. fork and exec rather than QProcess,
// which starts programs sharing this memory for a moment (vfork): ThreadSanitizer cannot
// follow that, and loses sight of this thread's locks.
NetLab::Finished finish(const QStringList &command)
{
    QList<QByteArray> words{"timeout", "--kill-after=5", ScriptLimit};
    for (const QString &word : command)
        words.append(word.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    std::array<int, 2> pipe{};
    if (::pipe2(pipe.data(), O_CLOEXEC) != 0)
        return {-1, u"no pipe"_s};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipe[1], STDOUT_FILENO);
        ::dup2(pipe[1], STDERR_FILENO);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipe[1]);
    QByteArray output;
    std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t got = ::read(pipe[0], buffer.data(), buffer.size());
        if (got > 0)
            output.append(buffer.data(), got);
        else if (got == 0 || errno != EINTR)
            break;
    }
    ::close(pipe[0]);
    int status = 0;
    while (child > 0 && ::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const int code = child > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return {code, QString::fromLocal8Bit(output)};
}

} // namespace

NetLab::NetLab(Options options) : m_name(u"qt%1"_s.arg(QCoreApplication::applicationPid()))
{
    QStringList arguments{u"up"_s, u"--name"_s, m_name};
    if (!options.upnp)
        arguments.append(u"--no-upnp"_s);
    if (options.ipv6Only)
        arguments.append(u"--ipv6-only"_s);
    const Finished built = script(arguments);
    m_up = built.exitCode == 0;
    m_skipped = built.exitCode == SkipCode;
    if (!m_up) {
        m_problem = built.output.trimmed();
        return;
    }
    for (const QString &line : built.output.split(u'\n')) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0)
            m_values.insert(line.left(equals), line.mid(equals + 1));
    }
}

NetLab::~NetLab()
{
    if (m_up)
        script({u"down"_s, u"--name"_s, m_name});
}

NetLab::Finished NetLab::script(const QStringList &arguments)
{
    return finish(QStringList{u"bash"_s, qEnvironmentVariable("QUIBO_SOURCE_DIR") + u"/scripts/netlab.sh"_s} +
                  arguments);
}

NetLab::Finished NetLab::run(const QString &ns, const QStringList &command)
{
    return finish(QStringList{u"ip"_s, u"netns"_s, u"exec"_s, ns} + command);
}

InNamespace::InNamespace(const QString &ns)
{
    m_home = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const int target = ::open(QFile::encodeName(u"/run/netns/"_s + ns).constData(), O_RDONLY | O_CLOEXEC);
    m_entered = m_home >= 0 && target >= 0 && ::setns(target, CLONE_NEWNET) == 0;
    if (target >= 0)
        ::close(target);
}

InNamespace::~InNamespace()
{
    if (m_entered)
        ::setns(m_home, CLONE_NEWNET);
    if (m_home >= 0)
        ::close(m_home);
}

} // namespace quibo::test
