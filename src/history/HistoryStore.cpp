#include "history/HistoryStore.h"

#include "base/Timings.h"
#include "history/HistoryIndexer.h"
#include "history/SearchQuery.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quibo {

namespace {
constexpr int SchemaVersion = 1;

const QString Columns = QStringLiteral("id, time, direction, kind, channel, handle, text, fileSize, outcome");

const QStringList Schema{
    QStringLiteral("CREATE TABLE entries(id INTEGER PRIMARY KEY, time INTEGER NOT NULL, "
                   "direction INTEGER NOT NULL, kind INTEGER NOT NULL, channel INTEGER NOT NULL, "
                   "handle TEXT NOT NULL, text TEXT NOT NULL, fileSize INTEGER NOT NULL, outcome INTEGER NOT NULL)"),
    QStringLiteral("CREATE INDEX entries_by_party ON entries(handle, channel, id)"),
    QStringLiteral("CREATE INDEX entries_offered ON entries(handle, text) WHERE outcome = 1"),
    // The last id given before a clear, so that no id is given twice.
    QStringLiteral("CREATE TABLE cleared(lastId INTEGER NOT NULL)"),
    QStringLiteral("PRAGMA user_version=%1").arg(SchemaVersion),
};

// A database and its write-ahead files, readable by the user alone, before SQLite opens
// them: it gives the files it makes the database file's mode.
bool makeOwnerOnly(const QString &path)
{
    for (const char *suffix : {"-wal", "-shm"}) {
        const QByteArray name = QFile::encodeName(path) + suffix;
        if (::chmod(name.constData(), S_IRUSR | S_IWUSR) != 0 && errno != ENOENT)
            return false;
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0)
        return false;
    const bool owned = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0;
    ::close(fd);
    return owned;
}

template <typename E> E enumAt(const QSqlQuery &query, int column, E last)
{
    const int value = query.value(column).toInt();
    return value >= 0 && value <= static_cast<int>(last) ? static_cast<E>(value) : E{};
}

StoredEntry readEntry(const QSqlQuery &query)
{
    StoredEntry stored;
    stored.id = query.value(0).toLongLong();
    HistoryEntry &e = stored.entry;
    e.time = QDateTime::fromMSecsSinceEpoch(query.value(1).toLongLong(), Qt::UTC);
    e.direction = enumAt(query, 2, Direction::Out);
    e.kind = enumAt(query, 3, EntryKind::File);
    e.party = {query.value(4).toBool() ? Party::Kind::Channel : Party::Kind::Contact, query.value(5).toString()};
    e.text = query.value(6).toString();
    e.fileSize = query.value(7).toLongLong();
    e.outcome = enumAt(query, 8, FileOutcome::Failed);
    return stored;
}

int channelColumn(const Party &party)
{
    return party.kind == Party::Kind::Channel ? 1 : 0;
}
} // namespace

HistoryStore::HistoryStore(const QString &folder, const Timings &timings, QObject *parent)
    : QObject(parent), m_connection(QStringLiteral("history-%1").arg(reinterpret_cast<quintptr>(this)))
{
    m_open = open(folder);
    if (!m_open) {
        qWarning("quibo32: the history in %s cannot be opened; nothing is kept", qUtf8Printable(folder));
        return;
    }
    m_indexer = std::make_unique<HistoryIndexer>(QDir(folder).filePath(QString::fromLatin1(SearchFileName)),
                                                 QDir(folder).filePath(QString::fromLatin1(FileName)));
    connect(m_indexer.get(), &HistoryIndexer::indexed, this, &HistoryStore::indexed);
    m_indexDelay.setSingleShot(true);
    m_indexDelay.setInterval(timings.historyIndexDelay);
    connect(&m_indexDelay, &QTimer::timeout, m_indexer.get(), &HistoryIndexer::catchUp);
}

HistoryStore::~HistoryStore()
{
    if (m_open)
        write();
    // The index's thread ends first, after the work already asked of it.
    m_indexer.reset();
    m_insert.reset();
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

bool HistoryStore::open(const QString &folder)
{
    const QString entriesPath = QDir(folder).filePath(QString::fromLatin1(FileName));
    if (!makeOwnerOnly(entriesPath))
        return false;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(entriesPath);
    // Small pages: a record writes its pages whole to the write-ahead file. (A new database
    // only; it is fixed once made.)
    if (!db.open() || !run(QStringLiteral("PRAGMA main.page_size=1024")) ||
        pragma(QStringLiteral("main.journal_mode=WAL")) != QStringLiteral("wal"))
        return false;
    // A killed process loses nothing committed in write-ahead mode; only a power cut could
    // lose the last entries, and never the database. The index's thread moves the entries
    // into the database file, so that the flushes it takes never hold up a record.
    if (!runAll({QStringLiteral("PRAGMA main.synchronous=NORMAL"), QStringLiteral("PRAGMA main.secure_delete=ON"),
                 QStringLiteral("PRAGMA main.wal_autocheckpoint=0")}))
        return false;
    if (pragma(QStringLiteral("main.user_version")) == QStringLiteral("0") && !createSchema())
        return false;
    // The index holds nothing that the entries do not: one that cannot be used is made again,
    // and filled from the entries.
    const QString searchPath = QDir(folder).filePath(QString::fromLatin1(SearchFileName));
    if (!attachSearch(searchPath)) {
        qWarning("quibo32: the history's search index cannot be used; it is made again");
        run(QStringLiteral("DETACH search"));
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(searchPath + QString::fromLatin1(suffix));
        if (!attachSearch(searchPath))
            return false;
    }
    m_lastId = std::max(valueOf(QStringLiteral("SELECT max(id) FROM entries")).toLongLong(),
                        valueOf(QStringLiteral("SELECT max(lastId) FROM cleared")).toLongLong());
    m_insert = std::make_unique<QSqlQuery>(db);
    return m_insert->prepare(QStringLiteral("INSERT INTO entries(id, time, direction, kind, channel, handle, text, "
                                            "fileSize, outcome) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
}

bool HistoryStore::attachSearch(const QString &path)
{
    QSqlQuery attach(QSqlDatabase::database(m_connection, false));
    attach.prepare(QStringLiteral("ATTACH ? AS search"));
    attach.addBindValue(path);
    return makeOwnerOnly(path) && run(attach) &&
           pragma(QStringLiteral("search.journal_mode=WAL")) == QStringLiteral("wal") &&
           run(HistoryIndexer::definition(QStringLiteral("search")));
}

bool HistoryStore::createSchema()
{
    if (runAll(QStringList{QStringLiteral("BEGIN")} + Schema + QStringList{QStringLiteral("COMMIT")}))
        return true;
    run(QStringLiteral("ROLLBACK"));
    return false;
}

void HistoryStore::record(HistoryEntry entry)
{
    if (!m_open || !m_keeping)
        return;
    if (!entry.time.isValid())
        entry.time = QDateTime::currentDateTimeUtc();
    if (m_unwritten.isEmpty())
        QMetaObject::invokeMethod(this, &HistoryStore::write, Qt::QueuedConnection);
    m_unwritten.append({++m_lastId, std::move(entry)});
}

void HistoryStore::write() const
{
    if (m_unwritten.isEmpty())
        return;
    const QList<StoredEntry> entries = std::exchange(m_unwritten, {});
    QSqlQuery &insert = *m_insert;
    const bool batch = entries.size() > 1 && run(QStringLiteral("BEGIN"));
    QList<const StoredEntry *> written;
    for (const StoredEntry &stored : entries) {
        const HistoryEntry &entry = stored.entry;
        insert.bindValue(0, stored.id);
        insert.bindValue(1, entry.time.toMSecsSinceEpoch());
        insert.bindValue(2, static_cast<int>(entry.direction));
        insert.bindValue(3, static_cast<int>(entry.kind));
        insert.bindValue(4, channelColumn(entry.party));
        insert.bindValue(5, entry.party.handle);
        insert.bindValue(6, entry.text);
        insert.bindValue(7, entry.fileSize);
        insert.bindValue(8, static_cast<int>(entry.outcome));
        if (run(insert))
            written.append(&stored);
        insert.finish();
    }
    if (batch && !run(QStringLiteral("COMMIT"))) {
        run(QStringLiteral("ROLLBACK"));
        return;
    }
    if (!m_indexDelay.isActive())
        m_indexDelay.start();
    for (const StoredEntry *stored : std::as_const(written))
        Q_EMIT recorded(*stored);
}

void HistoryStore::settleFile(const Party &party, Direction direction, const QString &fileName,
                              FileOutcome outcome)
{
    if (!m_open || !m_keeping)
        return;
    write();
    QSqlQuery settle(QSqlDatabase::database(m_connection, false));
    settle.prepare(QStringLiteral(
        "UPDATE entries SET outcome = ? WHERE id = (SELECT max(id) FROM entries WHERE handle = ? AND "
        "text = ? AND outcome = 1 AND channel = ? AND kind = ? AND direction = ?)"));
    settle.addBindValue(static_cast<int>(outcome));
    settle.addBindValue(party.handle);
    settle.addBindValue(fileName);
    settle.addBindValue(channelColumn(party));
    settle.addBindValue(static_cast<int>(EntryKind::File));
    settle.addBindValue(static_cast<int>(direction));
    run(settle);
}

QList<StoredEntry> HistoryStore::page(const std::optional<Party> &party, qint64 beforeId, int count) const
{
    if (!m_open)
        return {};
    write();
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    const QString where = party ? QStringLiteral("handle = ? AND channel = ? AND id < ?") : QStringLiteral("id < ?");
    query.prepare(QStringLiteral("SELECT %1 FROM entries WHERE %2 ORDER BY id DESC LIMIT ?").arg(Columns, where));
    if (party) {
        query.addBindValue(party->handle);
        query.addBindValue(channelColumn(*party));
    }
    query.addBindValue(beforeId > 0 ? beforeId : std::numeric_limits<qint64>::max());
    query.addBindValue(count);
    QList<StoredEntry> entries;
    if (!run(query))
        return entries;
    while (query.next())
        entries.prepend(readEntry(query));
    return entries;
}

QList<FoundEntry> HistoryStore::search(const QString &typed, int count) const
{
    const QString match = fts::query(typed);
    if (!m_open || match.isEmpty())
        return {};
    write();
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("SELECT e.%1, highlight(entries_text, 0, char(%2), char(%3)) FROM search.entries_text "
                                 "JOIN entries e ON e.id = entries_text.rowid WHERE entries_text MATCH ? "
                                 "ORDER BY entries_text.rowid DESC LIMIT ?")
                      .arg(QString(Columns).replace(QStringLiteral(", "), QStringLiteral(", e.")))
                      .arg(int(fts::MarkOpen))
                      .arg(int(fts::MarkClose)));
    query.addBindValue(match);
    query.addBindValue(count);
    QList<FoundEntry> found;
    if (!run(query))
        return found;
    while (query.next()) {
        StoredEntry stored = readEntry(query);
        QList<TextSpan> marks = fts::markedSpans(query.value(9).toString(), stored.entry.text);
        found.append({std::move(stored), std::move(marks)});
    }
    return found;
}

bool HistoryStore::clear(const std::optional<Party> &party)
{
    if (!m_open)
        return false;
    write();
    QSqlQuery remove(QSqlDatabase::database(m_connection, false));
    if (party) {
        remove.prepare(QStringLiteral("DELETE FROM entries WHERE handle = ? AND channel = ? RETURNING id"));
        remove.addBindValue(party->handle);
        remove.addBindValue(channelColumn(*party));
    } else {
        remove.prepare(QStringLiteral("DELETE FROM entries"));
    }
    QSqlQuery mark(QSqlDatabase::database(m_connection, false));
    mark.prepare(QStringLiteral("INSERT INTO cleared(lastId) VALUES (?)"));
    mark.addBindValue(m_lastId);
    if (!run(QStringLiteral("BEGIN")))
        return false;
    QList<qint64> ids;
    bool removed = run(mark) && run(remove);
    while (removed && remove.next())
        ids.append(remove.value(0).toLongLong());
    remove.finish();
    if (!removed || !run(QStringLiteral("COMMIT"))) {
        run(QStringLiteral("ROLLBACK"));
        return false;
    }
    // The write-ahead file still holds the deleted pages as they were; the emptied file gives
    // its pages back.
    if (!party)
        run(QStringLiteral("VACUUM"));
    run(QStringLiteral("PRAGMA main.wal_checkpoint(TRUNCATE)"));
    if (party)
        m_indexer->forget(std::move(ids));
    else
        m_indexer->forgetAll();
    return true;
}

QString HistoryStore::pragma(const QString &statement) const
{
    return valueOf(QStringLiteral("PRAGMA ") + statement);
}

QString HistoryStore::valueOf(const QString &statement) const
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    return query.exec(statement) && query.next() ? query.value(0).toString() : QString();
}

bool HistoryStore::run(QSqlQuery &query) const
{
    if (query.exec())
        return true;
    if (!std::exchange(m_warned, true))
        qWarning("quibo32: the history could not be written or read: %s", qUtf8Printable(query.lastError().text()));
    return false;
}

bool HistoryStore::run(const QString &statement) const
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(statement);
    return run(query);
}

bool HistoryStore::runAll(const QStringList &statements) const
{
    return std::all_of(statements.begin(), statements.end(), [this](const QString &s) { return run(s); });
}

} // namespace quibo
