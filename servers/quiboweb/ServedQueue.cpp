#include "ServedQueue.h"

#include <QSocketNotifier>

#include <cstdint>

#include <sys/eventfd.h>
#include <unistd.h>

namespace quibo::web {

namespace {

// More than the window keeps; beyond this a flood drops its oldest records.
constexpr size_t MaxPending = 5000;

} // namespace

ServedQueue::ServedQueue(QObject *parent)
    : QObject(parent)
    , m_wakeFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (m_wakeFd < 0)
        return; // records are then dropped; serving goes on
    m_notifier = new QSocketNotifier(m_wakeFd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ServedQueue::deliver);
}

ServedQueue::~ServedQueue()
{
    delete m_notifier;
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

void ServedQueue::push(ServedRequest request)
{
    if (m_wakeFd < 0)
        return;
    {
        const std::lock_guard lock(m_mutex);
        if (m_pending.size() >= MaxPending)
            m_pending.pop_front();
        m_pending.push_back(std::move(request));
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
}

void ServedQueue::deliver()
{
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = ::read(m_wakeFd, &count, sizeof count);
    std::deque<ServedRequest> ready;
    {
        const std::lock_guard lock(m_mutex);
        ready.swap(m_pending);
    }
    for (const ServedRequest &request : ready)
        emit served(request);
}

} // namespace quibo::web
