#pragma once

#include <QHash>
#include <QSet>
#include <QString>

#include <chrono>
#include <mutex>
#include <variant>

namespace quibo::directory {

// Failed password proofs, counted per handle and per source address, and the hold-back they
// earn: the first few cost nothing, then each failure holds the handle and the address back
// for a delay that doubles, up to a cap. While held back, a proof is refused unchecked; and
// only one proof per handle and per address is checked at a time, so that guesses sent at
// once count one after another. A success clears the handle's count; a count is forgotten a
// while after its last failure. Thread-safe.
class GuessLimiter {
public:
    using Clock = std::chrono::steady_clock;
    using Seconds = std::chrono::seconds;

    struct Rules {
        int freeFailures = 3;
        Seconds firstDelay{1};
        Seconds longestDelay{15 * 60};
        Seconds forgetAfter{24 * 3600};
        qsizetype mostTracked = 100'000; // per kind, so that a flood cannot fill the memory
    };

    // One proof being checked; it holds its handle and source until it ends.
    class Attempt {
    public:
        Attempt(Attempt &&other) noexcept;
        Attempt &operator=(Attempt &&) = delete;
        ~Attempt();
        // Counts the failure; returns the handle's failures and the hold-back it starts.
        std::pair<int, Seconds> failed(Clock::time_point now);
        void succeeded();

    private:
        friend class GuessLimiter;
        Attempt(GuessLimiter *limiter, QString handle, QString source);

        GuessLimiter *m_limiter;
        QString m_handle;
        QString m_source;
    };

    GuessLimiter();
    explicit GuessLimiter(Rules rules);

    // The hold-back after `failures` failed proofs.
    [[nodiscard]] Seconds delayAfter(int failures) const;

    // An attempt to check a proof for `handle` from `source`, or how long to wait first.
    std::variant<Attempt, Seconds> begin(const QString &handle, const QString &source, Clock::time_point now);

private:
    struct Record {
        int failures = 0;
        Clock::time_point lastFailure;
        Clock::time_point heldUntil;
    };
    using Records = QHash<QString, Record>;

    Record &count(Records &records, const QString &key, Clock::time_point now);
    Seconds left(const Records &records, const QString &key, Clock::time_point now) const;

    Rules m_rules;
    std::mutex m_mutex;
    Records m_handles;
    Records m_sources;
    QSet<QString> m_busyHandles;
    QSet<QString> m_busySources;
};

} // namespace quibo::directory
