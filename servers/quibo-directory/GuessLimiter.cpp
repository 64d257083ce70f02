#include "GuessLimiter.h"

#include <algorithm>

namespace quibo::directory {

GuessLimiter::Attempt::Attempt(GuessLimiter *limiter, QString handle, QString source)
    : m_limiter(limiter), m_handle(std::move(handle)), m_source(std::move(source))
{
}

GuessLimiter::Attempt::Attempt(Attempt &&other) noexcept
    : m_limiter(std::exchange(other.m_limiter, nullptr)), m_handle(std::move(other.m_handle)),
      m_source(std::move(other.m_source))
{
}

GuessLimiter::Attempt::~Attempt()
{
    if (!m_limiter)
        return;
    const std::lock_guard lock(m_limiter->m_mutex);
    m_limiter->m_busyHandles.remove(m_handle);
    m_limiter->m_busySources.remove(m_source);
}

std::pair<int, GuessLimiter::Seconds> GuessLimiter::Attempt::failed(Clock::time_point now)
{
    const std::lock_guard lock(m_limiter->m_mutex);
    m_limiter->count(m_limiter->m_sources, m_source, now);
    const Record &record = m_limiter->count(m_limiter->m_handles, m_handle, now);
    return {record.failures, m_limiter->delayAfter(record.failures)};
}

void GuessLimiter::Attempt::succeeded()
{
    const std::lock_guard lock(m_limiter->m_mutex);
    m_limiter->m_handles.remove(m_handle);
}

GuessLimiter::GuessLimiter() : GuessLimiter(Rules())
{
}

GuessLimiter::GuessLimiter(Rules rules) : m_rules(rules)
{
}

GuessLimiter::Seconds GuessLimiter::delayAfter(int failures) const
{
    const int doublings = failures - m_rules.freeFailures - 1;
    if (doublings < 0)
        return Seconds(0);
    Seconds delay = m_rules.firstDelay;
    for (int i = 0; i < doublings && delay < m_rules.longestDelay; ++i)
        delay *= 2;
    return std::min(delay, m_rules.longestDelay);
}

GuessLimiter::Seconds GuessLimiter::left(const Records &records, const QString &key, Clock::time_point now) const
{
    const auto it = records.constFind(key);
    if (it == records.cend() || it->heldUntil <= now)
        return Seconds(0);
    // Rounded up: a client that waits what it is told is let in.
    return std::chrono::ceil<Seconds>(it->heldUntil - now);
}

std::variant<GuessLimiter::Attempt, GuessLimiter::Seconds>
GuessLimiter::begin(const QString &handle, const QString &source, Clock::time_point now)
{
    const std::lock_guard lock(m_mutex);
    const Seconds wait = std::max(left(m_handles, handle, now), left(m_sources, source, now));
    if (wait.count() > 0)
        return wait;
    if (m_busyHandles.contains(handle) || m_busySources.contains(source))
        return Seconds(1);
    m_busyHandles.insert(handle);
    m_busySources.insert(source);
    return Attempt(this, handle, source);
}

GuessLimiter::Record &GuessLimiter::count(Records &records, const QString &key, Clock::time_point now)
{
    if (records.size() >= m_rules.mostTracked && !records.contains(key)) {
        // Forgotten counts go first; under a flood of sources, every count not holding back.
        records.removeIf([&](const Records::iterator &it) { return it->lastFailure + m_rules.forgetAfter <= now; });
        if (records.size() >= m_rules.mostTracked)
            records.removeIf([&](const Records::iterator &it) { return it->heldUntil <= now; });
    }
    Record &record = records[key];
    if (record.failures > 0 && record.lastFailure + m_rules.forgetAfter <= now)
        record = Record{};
    ++record.failures;
    record.lastFailure = now;
    record.heldUntil = now + delayAfter(record.failures);
    return record;
}

} // namespace quibo::directory
