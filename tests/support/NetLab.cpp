#include "NetLab.h"

#include <QCoreApplication>
#include <QFile>

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

// Runs `command` to its end, for two minutes at most. fork and exec rather than QProcess,
// which starts programs sharing this memory for a moment (vfork): ThreadSanitizer cannot
// follow that, and loses sight of this thread's locks.
NetLab::Finished finish(const QStringList &command)
{
    QList<QByteArray> words{"timeout", "--kill-after=5", "120"};
    for (const QString &word : command)
        words.append(word.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::array<int, 2> ends{};
    if (::pipe2(ends.data(), O_CLOEXEC) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(ends[1], STDOUT_FILENO);
        ::dup2(ends[1], STDERR_FILENO);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(ends[1]);
    QByteArray output;
    std::array<char, 4096> buffer{};
    for (ssize_t got = 0; (got = ::read(ends[0], buffer.data(), buffer.size())) != 0;) {
        if (got > 0)
            output.append(buffer.data(), got);
        else if (errno != EINTR)
            break;
    }
    ::close(ends[0]);
    int status = 0;
    while (child > 0 && ::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return {child > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1, QString::fromLocal8Bit(output)};
}

QStringList script(const QStringList &arguments)
{
    return QStringList{u"bash"_s, qEnvironmentVariable("QUIBO_SOURCE_DIR") + u"/scripts/netlab.sh"_s} + arguments;
}

} // namespace

NetLab::NetLab(const QStringList &options) : m_name(u"qt%1"_s.arg(QCoreApplication::applicationPid()))
{
    m_built = finish(script(QStringList{u"up"_s, u"--name"_s, m_name} + options));
    for (const QString &line : m_built.output.split(u'\n')) {
        if (const qsizetype equals = line.indexOf(u'='); equals > 0 && isUp())
            m_values.insert(line.left(equals), line.mid(equals + 1));
    }
}

NetLab::~NetLab()
{
    if (isUp())
        finish(script({u"down"_s, u"--name"_s, m_name}));
}

NetLab::Finished NetLab::run(const QString &ns, const QStringList &command)
{
    return finish(QStringList{u"ip"_s, u"netns"_s, u"exec"_s, ns} + command);
}

InNamespace::InNamespace(const QString &ns) : m_home(::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC))
{
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
