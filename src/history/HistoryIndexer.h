#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

class QSocketNotifier;

namespace quibo {

// Keeps the full-text index of the history in a database of its own, on a thread of its own,
// so that the index's work and the disk's flushes never hold up the thread that records. The
// thread reads the entries from the history database, which only the recording thread
// writes. The two threads share nothing but a queue of work and the last id indexed, under
// one mutex, and the thread wakes its maker through a pipe.
class HistoryIndexer : public QObject {
    Q_OBJECT
public:
    // Entries indexed between moves of the write-ahead files into the databases.
    static constexpr int EntriesPerCheckpoint = 500;

    // The statement that makes the index in the database `schema` when it is missing.
    static QString definition(const QString &schema);

    // Starts the thread: it opens both databases, drops from the index what the history no
    // longer holds (a clear that a crash interrupted), and catches up.
    HistoryIndexer(QString indexPath, QString entriesPath, QObject *parent = nullptr);
    // Returns once the work already asked for is done.
    ~HistoryIndexer() override;
    HistoryIndexer(const HistoryIndexer &) = delete;
    HistoryIndexer &operator=(const HistoryIndexer &) = delete;

    // Each returns at once; the thread does the work in the order asked.
    // Indexes the entries recorded since the last one indexed.
    void catchUp();
    // Drops the entries `ids` from the index, then rewrites it without their words.
    void forget(QList<qint64> ids);
    void forgetAll();

Q_SIGNALS:
    // The index holds every entry up to `lastId`, and nothing of a clear asked before. On the
    // thread that made the indexer.
    void indexed(qint64 lastId);

private:
    struct Job {
        enum class Kind { CatchUp, Forget, ForgetAll, Stop } kind;
        QList<qint64> ids;
    };
    void post(Job job);
    void run(const QString &indexPath, const QString &entriesPath);
    void publish(qint64 lastId);
    void tell();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    qint64 m_published = -1;
    qint64 m_told = -1;
    int m_pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::thread m_thread; // last: it starts once everything else is in place
};

} // namespace quibo
