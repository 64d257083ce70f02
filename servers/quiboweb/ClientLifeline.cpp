#include "ClientLifeline.h"

#include "base/Lifeline.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quibo::web {

ClientLifeline::ClientLifeline(QObject *parent) : QObject(parent)
{
}

ClientLifeline::~ClientLifeline()
{
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ClientLifeline::watchFromEnvironment()
{
    const QByteArray value = qgetenv(LifelineVariable);
    ::unsetenv(LifelineVariable);
    bool ok = false;
    const int fd = value.toInt(&ok);
    struct stat status {};
    if (!ok || fd < 0 || ::fstat(fd, &status) != 0 || !S_ISFIFO(status.st_mode) ||
        (::fcntl(fd, F_GETFL) & O_ACCMODE) != O_RDONLY)
        return false;
    m_fd = fd;
    ::fcntl(m_fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    // A client that has already ended left the pipe at end of file: the notifier fires at once
    // when the event loop starts.
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &ClientLifeline::readAvailable);
    return true;
}

void ClientLifeline::readAvailable()
{
    char buffer[64];
    ssize_t got = 0;
    while ((got = ::read(m_fd, buffer, sizeof buffer)) > 0) {
        // Nobody writes; stray bytes mean nothing.
    }
    if (got < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    m_notifier->setEnabled(false);
    emit clientEnded();
}

} // namespace quibo::web
