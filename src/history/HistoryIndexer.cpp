#include "history/HistoryIndexer.h"

#include <QSocketNotifier>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace quibo {

namespace {

// The index's work, on the indexer's thread and its own connection.
class IndexWork {
public:
    IndexWork(const QString &indexPath, const QString &entriesPath)
        : m_connection(QStringLiteral("history-index-%1").arg(reinterpret_cast<quintptr>(this)))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.setDatabaseName(indexPath);
        m_open = db.open() && attach(entriesPath) && run(QStringLiteral("PRAGMA synchronous=NORMAL")) &&
                 run(QStringLiteral("PRAGMA secure_delete=ON"));
        if (!m_open) {
            qWarning("quibo32: the history's search index cannot be opened: %s", qUtf8Printable(db.lastError().text()));
            return;
        }
        QSqlQuery last(db);
        if (last.exec(QStringLiteral("SELECT rowid FROM entries_text ORDER BY rowid DESC LIMIT 1")) && last.next())
            m_lastId = last.value(0).toLongLong();
    }

    ~IndexWork()
    {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }

    [[nodiscard]] qint64 lastId() const { return m_lastId; }

    // Drops what a clear that a crash interrupted left in the index.
    void dropCleared()
    {
        QSqlQuery gone(db());
        if (!m_open || !gone.exec(QStringLiteral("SELECT rowid FROM entries_text EXCEPT SELECT id FROM h.entries")))
            return;
        QList<qint64> ids;
        while (gone.next())
            ids.append(gone.value(0).toLongLong());
        gone.finish();
        if (!ids.isEmpty())
            forget(ids);
    }

    void catchUp()
    {
        if (!m_open)
            return;
        QSqlQuery entries(db());
        entries.prepare(QStringLiteral("SELECT id, text FROM h.entries WHERE id > ? ORDER BY id"));
        entries.addBindValue(m_lastId);
        QSqlQuery add(db());
        add.prepare(QStringLiteral("INSERT INTO entries_text(rowid, text) VALUES (?, ?)"));
        if (!entries.exec() || !db().transaction())
            return;
        qint64 last = m_lastId;
        int added = 0;
        while (entries.next()) {
            add.addBindValue(entries.value(0));
            add.addBindValue(entries.value(1));
            if (!run(add))
                break;
            last = entries.value(0).toLongLong();
            ++added;
        }
        entries.finish();
        if (added == 0 || !db().commit()) {
            db().rollback();
            return;
        }
        m_lastId = last;
        m_sinceCheckpoint += added;
        if (m_sinceCheckpoint >= HistoryIndexer::EntriesPerCheckpoint) {
            m_sinceCheckpoint = 0;
            // The recording thread never moves its write-ahead file into the database: that
            // waits for the disk.
            run(QStringLiteral("PRAGMA h.wal_checkpoint(PASSIVE)"));
            run(QStringLiteral("PRAGMA main.wal_checkpoint(PASSIVE)"));
        }
    }

    void forget(const QList<qint64> &ids)
    {
        if (!m_open)
            return;
        QSqlQuery remove(db());
        remove.prepare(QStringLiteral("DELETE FROM entries_text WHERE rowid = ?"));
        db().transaction();
        for (const qint64 id : ids) {
            remove.addBindValue(id);
            run(remove);
        }
        db().commit();
        // Until its parts are merged into one, the index keeps the words of deleted entries.
        run(QStringLiteral("INSERT INTO entries_text(entries_text) VALUES ('optimize')"));
        shrink();
    }

    void forgetAll()
    {
        if (!m_open)
            return;
        run(QStringLiteral("DROP TABLE entries_text"));
        run(HistoryIndexer::definition(QStringLiteral("main")));
        run(QStringLiteral("VACUUM"));
        shrink();
        m_lastId = 0;
    }

private:
    [[nodiscard]] QSqlDatabase db() const { return QSqlDatabase::database(m_connection, false); }

    bool attach(const QString &entriesPath)
    {
        QSqlQuery attach(db());
        attach.prepare(QStringLiteral("ATTACH ? AS h"));
        attach.addBindValue(entriesPath);
        return attach.exec();
    }

    bool run(QSqlQuery &query)
    {
        if (query.exec())
            return true;
        if (!std::exchange(m_warned, true))
            qWarning("quibo32: the history's search index: %s", qUtf8Printable(query.lastError().text()));
        return false;
    }

    bool run(const QString &statement)
    {
        QSqlQuery query(db());
        query.prepare(statement);
        return run(query);
    }

    // The write-ahead file still holds the deleted pages as they were.
    void shrink() { run(QStringLiteral("PRAGMA main.wal_checkpoint(TRUNCATE)")); }

    QString m_connection;
    bool m_open = false;
    bool m_warned = false;
    qint64 m_lastId = 0;
    int m_sinceCheckpoint = 0;
};

} // namespace

QString HistoryIndexer::definition(const QString &schema)
{
    // Words are the tokenizer's, without accents; starts of two and three characters have an
    // index of their own, so the results that come as the user types come fast.
    return QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS %1.entries_text USING fts5(text, "
                          "tokenize='unicode61 remove_diacritics 2', prefix='2 3')")
        .arg(schema);
}

HistoryIndexer::HistoryIndexer(QString indexPath, QString entriesPath, QObject *parent) : QObject(parent)
{
    if (::pipe2(m_pipe, O_NONBLOCK | O_CLOEXEC) == 0) {
        m_notifier = std::make_unique<QSocketNotifier>(m_pipe[0], QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, &HistoryIndexer::tell);
    }
    m_thread = std::thread([this, indexPath = std::move(indexPath), entriesPath = std::move(entriesPath)] {
        run(indexPath, entriesPath);
    });
}

HistoryIndexer::~HistoryIndexer()
{
    post({Job::Kind::Stop, {}});
    m_thread.join();
    m_notifier.reset();
    for (const int fd : m_pipe) {
        if (fd >= 0)
            ::close(fd);
    }
}

void HistoryIndexer::catchUp()
{
    post({Job::Kind::CatchUp, {}});
}

void HistoryIndexer::forget(QList<qint64> ids)
{
    post({Job::Kind::Forget, std::move(ids)});
}

void HistoryIndexer::forgetAll()
{
    post({Job::Kind::ForgetAll, {}});
}

void HistoryIndexer::post(Job job)
{
    {
        const std::lock_guard lock(m_mutex);
        // One catch-up waiting takes every entry recorded before it runs.
        if (job.kind == Job::Kind::CatchUp && !m_jobs.empty() && m_jobs.back().kind == Job::Kind::CatchUp)
            return;
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void HistoryIndexer::run(const QString &indexPath, const QString &entriesPath)
{
    IndexWork work(indexPath, entriesPath);
    work.dropCleared();
    work.catchUp();
    publish(work.lastId());
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return !m_jobs.empty(); });
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        switch (job.kind) {
        case Job::Kind::Stop:
            return;
        case Job::Kind::CatchUp:
            break;
        case Job::Kind::Forget:
            work.forget(job.ids);
            break;
        case Job::Kind::ForgetAll:
            work.forgetAll();
            break;
        }
        work.catchUp();
        publish(work.lastId());
    }
}

void HistoryIndexer::publish(qint64 lastId)
{
    {
        const std::lock_guard lock(m_mutex);
        // A clear still waiting would make the news false: what it deleted is still found.
        const bool forgetWaiting = std::any_of(m_jobs.cbegin(), m_jobs.cend(), [](const Job &job) {
            return job.kind == Job::Kind::Forget || job.kind == Job::Kind::ForgetAll;
        });
        if (forgetWaiting || lastId == m_published)
            return;
        m_published = lastId;
    }
    // A full pipe means a wake-up is already pending.
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_pipe[1], &byte, 1);
}

void HistoryIndexer::tell()
{
    char bytes[64];
    while (::read(m_pipe[0], bytes, sizeof bytes) > 0) {
    }
    qint64 published = 0;
    {
        const std::lock_guard lock(m_mutex);
        published = m_published;
    }
    if (std::exchange(m_told, published) != published)
        Q_EMIT indexed(published);
}

} // namespace quibo
