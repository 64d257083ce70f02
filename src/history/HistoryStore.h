#pragma once

#include "ports/HistoryUi.h"
#include "ports/Journal.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

class QSqlQuery;

namespace quibo {

class HistoryIndexer;
struct Timings;

struct StoredEntry {
    qint64 id = 0; // later entries have greater ids, and ids are never used again
    HistoryEntry entry;
};

struct FoundEntry {
    StoredEntry stored;
    QList<TextSpan> marks; // the matched words in stored.entry.text
};

// The history: SQLite databases in the working folder, readable by the user alone. The entries
// recorded in one turn of the event loop are committed to "history.db" together once the turn
// has handled them (or before anything reads the history), in write-ahead mode without waiting
// for the disk: the write is off the path of what is being delivered, and a killed program
// loses at most the entries of the turn it was in. The full-text index lives in
// "history-search.db", kept by a HistoryIndexer on a thread of its own, so a write is a few
// small inserts; the entries recorded within Timings::historyIndexDelay are indexed together,
// and a search finds them after that. A database that cannot be opened keeps nothing and
// reads empty, said once in the log.
class HistoryStore : public QObject, public Journal {
    Q_OBJECT
public:
    static constexpr auto FileName = "history.db";
    static constexpr auto SearchFileName = "history-search.db";
    // What a search returns at the most: the window shows the latest matches.
    static constexpr int SearchLimit = 200;

    // The databases in `folder`, made when missing.
    HistoryStore(const QString &folder, const Timings &timings, QObject *parent = nullptr);
    ~HistoryStore() override;

    [[nodiscard]] bool isOpen() const { return m_open; }
    // The id of the latest entry recorded (written or about to be).
    [[nodiscard]] qint64 lastId() const { return m_lastId; }
    // Off, record() keeps nothing; what is kept stays.
    void setKeeping(bool keeping) { m_keeping = keeping; }
    [[nodiscard]] bool keeping() const { return m_keeping; }

    void record(HistoryEntry entry) override;
    void settleFile(const Party &party, Direction direction, const QString &fileName,
                    FileOutcome outcome) override;

    // Up to `count` entries of `party` (of everyone when none) before the entry `beforeId`
    // (0: the latest ones), oldest first.
    [[nodiscard]] QList<StoredEntry> page(const std::optional<Party> &party, qint64 beforeId, int count) const;
    // The latest indexed entries, newest first, whose text holds what the user typed (see
    // fts::query), with the matched words marked.
    [[nodiscard]] QList<FoundEntry> search(const QString &typed, int count = SearchLimit) const;
    // Deletes the entries of `party` (all entries when none) and overwrites them on disk; the
    // index forgets them on its thread. False when it failed; nothing is deleted then.
    bool clear(const std::optional<Party> &party);

Q_SIGNALS:
    void recorded(const quibo::StoredEntry &entry) const;
    // The search finds every entry up to `lastId`, and nothing that was cleared.
    void indexed(qint64 lastId);

private:
    bool open(const QString &folder);
    // Commits the entries recorded but not yet written. Const: a read writes them first, so
    // that what it finds is everything recorded.
    void write() const;
    bool createSchema();
    bool attachSearch(const QString &path);
    // The first value a statement or PRAGMA gives, empty when it failed.
    [[nodiscard]] QString valueOf(const QString &statement) const;
    [[nodiscard]] QString pragma(const QString &statement) const;
    bool run(QSqlQuery &query) const;
    bool run(const QString &statement) const;
    bool runAll(const QStringList &statements) const;

    QString m_connection;
    std::unique_ptr<QSqlQuery> m_insert;
    mutable QList<StoredEntry> m_unwritten;
    mutable QTimer m_indexDelay;
    std::unique_ptr<HistoryIndexer> m_indexer;
    qint64 m_lastId = 0; // the last id given, kept across clears
    bool m_open = false;
    bool m_keeping = true;
    mutable bool m_warned = false;
};

} // namespace quibo
