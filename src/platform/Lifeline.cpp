#include "platform/Lifeline.h"

#include "base/Lifeline.h"

#include <fcntl.h>
#include <unistd.h>

namespace quibo {

namespace {

void setCloseOnExec(int fd, bool on)
{
    const int flags = ::fcntl(fd, F_GETFD);
    if (flags >= 0)
        ::fcntl(fd, F_SETFD, on ? flags | FD_CLOEXEC : flags & ~FD_CLOEXEC);
}

} // namespace

Lifeline::Lifeline()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        qWarning("quibo32: no lifeline for the programs it starts: they may outlive it");
        return;
    }
    m_read = fds[0];
    m_write = fds[1];
}

Lifeline::~Lifeline()
{
    if (m_read >= 0) {
        ::close(m_read);
        ::close(m_write);
    }
}

QProcessEnvironment Lifeline::handedTo(QProcessEnvironment environment) const
{
    if (m_read >= 0)
        environment.insert(QString::fromLatin1(LifelineVariable), QString::number(m_read));
    return environment;
}

Lifeline::Inherited::Inherited(const Lifeline &lifeline) : m_fd(lifeline.m_read)
{
    if (m_fd >= 0)
        setCloseOnExec(m_fd, false);
}

Lifeline::Inherited::~Inherited()
{
    if (m_fd >= 0)
        setCloseOnExec(m_fd, true);
}

HandedBytes::HandedBytes(const QByteArray &bytes)
{
    constexpr qsizetype PipeHolds = 64 * 1024; // Linux's default: written without a reader
    int fds[2];
    if (bytes.isEmpty() || bytes.size() > PipeHolds || ::pipe2(fds, O_CLOEXEC) != 0)
        return;
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fds[1], bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n <= 0)
            break;
        written += n;
    }
    ::close(fds[1]);
    if (written != bytes.size()) {
        ::close(fds[0]);
        return;
    }
    m_read = fds[0];
    setCloseOnExec(m_read, false);
}

HandedBytes::~HandedBytes()
{
    if (m_read >= 0)
        ::close(m_read);
}

QProcessEnvironment HandedBytes::handedTo(QProcessEnvironment environment, const char *variable) const
{
    if (m_read >= 0)
        environment.insert(QString::fromLatin1(variable), QString::number(m_read));
    return environment;
}

} // namespace quibo
