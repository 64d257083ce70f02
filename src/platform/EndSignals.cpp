#include "platform/EndSignals.h"

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

#include <array>

namespace quibo {

namespace {

constexpr std::array<int, 3> handledSignals{SIGTERM, SIGINT, SIGHUP};

// What the handler may touch: plain values, set before it is installed.
volatile std::sig_atomic_t writeFd = -1;
volatile std::sig_atomic_t received = 0;
std::array<struct sigaction, handledSignals.size()> previous{};

extern "C" void onEndSignal(int number)
{
    if (received) {
        // The second signal: the default action ends the process once this handler returns.
        std::signal(number, SIG_DFL);
        std::raise(number);
        return;
    }
    received = 1;
    const int savedErrno = errno;
    const char byte = static_cast<char>(number);
    // Non-blocking: a full pipe means a wake-up is already pending.
    [[maybe_unused]] const ssize_t written = ::write(writeFd, &byte, 1);
    errno = savedErrno;
}

} // namespace

EndSignals::EndSignals(QObject *parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, m_fds) != 0)
        return;
    writeFd = m_fds[1];
    received = 0;
    m_notifier = std::make_unique<QSocketNotifier>(m_fds[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &EndSignals::readPending);

    struct sigaction action {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    m_installed = true;
    for (std::size_t i = 0; i < handledSignals.size(); ++i)
        m_installed = ::sigaction(handledSignals[i], &action, &previous[i]) == 0 && m_installed;
}

EndSignals::~EndSignals()
{
    if (m_fds[0] < 0)
        return;
    for (std::size_t i = 0; i < handledSignals.size(); ++i)
        ::sigaction(handledSignals[i], &previous[i], nullptr);
    m_notifier.reset();
    writeFd = -1;
    ::close(m_fds[0]);
    ::close(m_fds[1]);
}

void EndSignals::readPending()
{
    char byte = 0;
    bool any = false;
    while (::read(m_fds[0], &byte, 1) == 1)
        any = true;
    if (any)
        emit endRequested(static_cast<unsigned char>(byte));
}

} // namespace quibo
