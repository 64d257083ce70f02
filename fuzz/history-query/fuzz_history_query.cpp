// Feeds arbitrary typed text to the history's search: the query it becomes is always one
// that SQLite's full-text index accepts, however the text plays with its syntax; and marks
// read from a highlighted text are always inside the text, in order.
#include "FuzzCheck.h"

#include "history/HistoryIndexer.h"
#include "history/SearchQuery.h"

#include <sqlite3.h>

using namespace quibo;

namespace {

sqlite3 *indexWithRows()
{
    sqlite3 *db = nullptr;
    FUZZ_CHECK(sqlite3_open(":memory:", &db) == SQLITE_OK);
    const QByteArray create = HistoryIndexer::definition(QStringLiteral("main")).toUtf8();
    FUZZ_CHECK(sqlite3_exec(db, create.constData(), nullptr, nullptr, nullptr) == SQLITE_OK);
    FUZZ_CHECK(sqlite3_exec(db,
                            "INSERT INTO entries_text(text) VALUES ('hello world'), ('NEAR \"quoted\" AND OR'), "
                            "('caf\xc3\xa9 au lait'), ('a* b^ c:d (e) -f')",
                            nullptr, nullptr, nullptr) == SQLITE_OK);
    return db;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static sqlite3 *const db = indexWithRows();
    const QString typed = QString::fromUtf8(fuzz::input(data, size));

    const QByteArray query = fts::query(typed).toUtf8();
    if (!query.isEmpty()) {
        sqlite3_stmt *statement = nullptr;
        FUZZ_CHECK(sqlite3_prepare_v2(db, "SELECT rowid FROM entries_text WHERE entries_text MATCH ?", -1, &statement,
                                      nullptr) == SQLITE_OK);
        sqlite3_bind_text(statement, 1, query.constData(), int(query.size()), SQLITE_TRANSIENT);
        int step = SQLITE_ROW;
        while (step == SQLITE_ROW)
            step = sqlite3_step(statement);
        if (step != SQLITE_DONE)
            std::fprintf(stderr, "%s: %s\n", query.constData(), sqlite3_errmsg(db));
        FUZZ_CHECK(step == SQLITE_DONE);
        sqlite3_finalize(statement);
    }

    // The input as a highlighted text, its marks taken out as the original.
    QString original = typed;
    original.remove(QChar(fts::MarkOpen)).remove(QChar(fts::MarkClose));
    qsizetype end = 0;
    for (const TextSpan &span : fts::markedSpans(typed, original)) {
        FUZZ_CHECK(span.start >= end && span.length > 0 && span.start + span.length <= original.size());
        end = span.start + span.length;
    }
    return 0;
}
