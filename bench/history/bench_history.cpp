// bench_history [lines]
//
// Fills a history with `lines` entries (a million by default): lines of 3 to 14 words drawn
// from 20,000 made-up words of Zipf frequencies, among 50 contacts and 5 channels. Then:
// - search: the median of word queries (words of every frequency) and of the queries a user
//   typing a word makes letter by letter, through HistoryStore::search, against reading the
//   latest page of one contact (the window's cheapest read);
// - writing: HistoryStore::record of entries one by one into that history (the mean, spikes
//   included), against the delivery of one 522-byte record on loopback (connect, send, close,
//   read whole). A client's own delivery takes about 3.7 times the bare one (bench_peer), so a
//   ratio of 0.4 keeps recording within a tenth of a delivery;
// - the database's size per million lines, against the size of the texts themselves;
// - for information: how long the index takes to catch up, how soon a recorded entry is found,
//   and clearing one contact's 2% of the history.
#include "base/Timings.h"
#include "history/HistoryStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

using namespace quibo;

namespace {

constexpr int Vocabulary = 20000;
constexpr int Contacts = 50;
constexpr int Channels = 5;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values.at(std::min(values.size() - 1, static_cast<size_t>(p * values.size())));
}

double mean(const std::vector<double> &values)
{
    return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

QStringList makeWords(std::mt19937 &random)
{
    std::uniform_int_distribution<int> length(2, 10);
    std::uniform_int_distribution<int> letter(0, 25);
    QStringList words;
    while (words.size() < Vocabulary) {
        QString word;
        for (int n = length(random); n > 0; --n)
            word += QChar(u'a' + letter(random));
        words.append(word);
    }
    return words;
}

// Writes `lines` entries in large transactions on a connection of its own; the sum of the
// texts' sizes in bytes.
qint64 fill(const QString &path, const QStringList &words, qint64 lines, std::mt19937 &random)
{
    std::vector<double> weights(Vocabulary);
    for (int rank = 0; rank < Vocabulary; ++rank)
        weights[rank] = 1.0 / (rank + 1);
    std::discrete_distribution<int> word(weights.begin(), weights.end());
    std::uniform_int_distribution<int> length(3, 14);
    std::uniform_int_distribution<int> party(0, Contacts + Channels - 1);
    qint64 textBytes = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous=OFF"));
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("INSERT INTO entries(time, direction, kind, channel, handle, text, fileSize, "
                                      "outcome) VALUES (?, ?, ?, ?, ?, ?, -1, 0)"));
        const qint64 start = QDateTime::currentMSecsSinceEpoch() - lines * 1000;
        for (qint64 i = 0; i < lines; ++i) {
            if (i % 50000 == 0)
                QSqlQuery(db).exec(QStringLiteral("BEGIN"));
            QStringList text;
            for (int n = length(random); n > 0; --n)
                text.append(words.at(word(random)));
            const QString line = text.join(u' ');
            textBytes += line.toUtf8().size();
            const int p = party(random);
            insert.addBindValue(start + i * 1000);
            insert.addBindValue(int(i % 2));
            insert.addBindValue(p < Contacts ? 0 : 3);
            insert.addBindValue(p < Contacts ? 0 : 1);
            insert.addBindValue(QStringLiteral("c%1").arg(p));
            insert.addBindValue(line);
            if (!insert.exec()) {
                std::fprintf(stderr, "cannot fill the history\n");
                std::exit(1);
            }
            if (i % 50000 == 49999 || i == lines - 1)
                QSqlQuery(db).exec(QStringLiteral("COMMIT"));
        }
        QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return textBytes;
}

// The time `run` takes, in milliseconds.
double timed(const std::function<void()> &run)
{
    QElapsedTimer clock;
    clock.start();
    run();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Runs the event loop until `done` holds, looked at each time the store says what it has
// indexed; false after five minutes.
bool untilIndexed(HistoryStore &store, const std::function<bool()> &done)
{
    QEventLoop loop;
    QObject::connect(&store, &HistoryStore::indexed, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(300000, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
    return done();
}

// One 522-byte record delivered on loopback as the peers send them, in milliseconds; -1 when
// it did not arrive.
double deliverOnce(QTcpServer &server)
{
    QEventLoop loop;
    qint64 received = 0;
    std::unique_ptr<QTcpSocket> accepted;
    QObject::connect(&server, &QTcpServer::newConnection, &loop, [&] {
        accepted.reset(server.nextPendingConnection());
        QObject::connect(accepted.get(), &QTcpSocket::readyRead, &loop, [&] {
            received += accepted->readAll().size();
            if (received >= 522)
                loop.quit();
        });
    });
    QElapsedTimer clock;
    clock.start();
    QTcpSocket sender;
    QObject::connect(&sender, &QTcpSocket::connected, &sender, [&] {
        sender.write(QByteArray(522, 'x'));
        sender.disconnectFromHost();
    });
    sender.connectToHost(server.serverAddress(), server.serverPort());
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    return received >= 522 ? static_cast<double>(clock.nsecsElapsed()) / 1e6 : -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 lines = argc > 1 ? std::max(1000LL, std::atoll(argv[1])) : 1000000;
    std::mt19937 random(7);
    const QStringList words = makeWords(random);

    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(HistoryStore::FileName));
    qint64 textBytes = 0;
    {
        HistoryStore created(dir.path(), Timings{});
        if (!created.isOpen()) {
            std::fprintf(stderr, "cannot make the history\n");
            return 1;
        }
    }
    const double fillMs = timed([&] { textBytes = fill(path, words, lines, random); });
    // Opening the store indexes what it finds unindexed, on the index's thread.
    HistoryStore store(dir.path(), Timings{});
    qint64 indexedUpTo = 0;
    QObject::connect(&store, &HistoryStore::indexed, [&](qint64 last) { indexedUpTo = last; });
    const double indexMs = timed([&] { untilIndexed(store, [&] { return indexedUpTo >= lines; }); });
    if (indexedUpTo < lines) {
        std::fprintf(stderr, "the index did not catch up\n");
        return 1;
    }
    const auto sizeOf = [&](const char *name) { return static_cast<double>(QFileInfo(dir.filePath(QString::fromLatin1(name))).size()) / 1e6; };
    const double sizeMb = sizeOf(HistoryStore::FileName) + sizeOf(HistoryStore::SearchFileName);
    const double perMillion = 1e6 / static_cast<double>(lines);
    std::printf("%lld lines written in %.1f s, indexed in %.1f s: %.1f MB (%.1f MB of index), %.1f MB per million "
                "lines (texts %.1f MB per million)\n",
                lines, fillMs / 1000, indexMs / 1000, sizeMb, sizeOf(HistoryStore::SearchFileName),
                sizeMb * perMillion, textBytes / 1e6 * perMillion);

    // Word queries: words from the most frequent to the rare, each several times.
    std::vector<double> wordMs;
    for (int round = 0; round < 5; ++round) {
        for (const int rank : {0, 3, 10, 30, 100, 300, 1000, 3000, 10000, 19999})
            wordMs.push_back(timed([&] { (void)store.search(words.at(rank)); }));
    }
    // What a user typing a word letter by letter asks for.
    std::vector<double> typedMs;
    for (const int rank : {1, 12, 57, 420, 2500}) {
        const QString &word = words.at(rank);
        for (qsizetype n = 1; n <= word.size(); ++n)
            typedMs.push_back(timed([&] { (void)store.search(word.left(n)); }));
    }
    std::vector<double> pageMs;
    for (int round = 0; round < 50; ++round)
        pageMs.push_back(timed([&] { (void)store.page(Party::contact(QStringLiteral("c%1").arg(round % Contacts)), 0, 200); }));
    const double word = median(wordMs);
    const double page = median(pageMs);
    std::printf("search: word %.2f ms (slowest %.2f), as typed %.2f ms (slowest %.2f), latest page %.2f ms\n", word,
                *std::max_element(wordMs.begin(), wordMs.end()), median(typedMs),
                *std::max_element(typedMs.begin(), typedMs.end()), page);

    // Writing, entry by entry, each in a turn of its own, as the features will; the write comes
    // at the end of the turn.
    std::vector<double> writeMs;
    for (int i = 0; i < 3000; ++i) {
        HistoryEntry entry{{}, Direction::In, EntryKind::Message, Party::contact(QStringLiteral("c1")),
                           QStringLiteral("message %1 of the writing test, %2").arg(i).arg(words.at(i)), -1,
                           FileOutcome::None};
        writeMs.push_back(timed([&] {
            store.record(entry);
            QCoreApplication::sendPostedEvents(&store, QEvent::MetaCall);
        }));
    }
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    std::vector<double> deliveryMs;
    for (int i = 0; i < 300; ++i) {
        const double ms = deliverOnce(server);
        if (ms < 0) {
            std::fprintf(stderr, "a delivery did not arrive\n");
            return 1;
        }
        deliveryMs.push_back(ms);
    }
    const double write = mean(writeMs);
    const double delivery = median(deliveryMs);
    std::printf("record: mean %.3f ms, median %.3f, 99%% %.3f, slowest %.3f; one delivery %.3f ms\n", write,
                median(writeMs), percentile(writeMs, 0.99), *std::max_element(writeMs.begin(), writeMs.end()),
                delivery);

    // How long a search lags behind: a record until the index holds it.
    std::vector<double> lagMs;
    for (int i = 0; i < 50; ++i) {
        const qint64 before = indexedUpTo;
        lagMs.push_back(timed([&] {
            store.record({{}, Direction::Out, EntryKind::Message, Party::contact(QStringLiteral("c2")),
                          QStringLiteral("lag test"), -1, FileOutcome::None});
            untilIndexed(store, [&] { return indexedUpTo > before; });
        }));
    }
    std::printf("a recorded entry is found after %.2f ms (median)\n", median(lagMs));

    const double clearMs = timed([&] { store.clear(Party::contact(QStringLiteral("c7"))); });
    // The index forgets them on its thread, before it takes the next entry.
    const qint64 beforeForget = indexedUpTo;
    const double forgetMs = timed([&] {
        store.record({{}, Direction::Out, EntryKind::Message, Party::contact(QStringLiteral("c2")),
                      QStringLiteral("after the clear"), -1, FileOutcome::None});
        untilIndexed(store, [&] { return indexedUpTo > beforeForget; });
    });
    std::printf("clearing one contact's %lld lines: %.0f ms, and %.0f ms more for the index\n",
                lines / (Contacts + Channels), clearMs, forgetMs);

    std::printf("RESULT name=history-search figure=%.2f baseline=%.2f unit=ms ratio=%.2f target=figure<50\n", word,
                page, word / page);
    std::printf("RESULT name=history-typing figure=%.2f baseline=%.2f unit=ms ratio=%.2f target=figure<50\n",
                median(typedMs), page, median(typedMs) / page);
    std::printf("RESULT name=history-write figure=%.3f baseline=%.3f unit=ms ratio=%.3f target=ratio<=0.4\n", write,
                delivery, write / delivery);
    std::printf("RESULT name=history-size figure=%.1f baseline=%.1f unit=MB/1M ratio=%.2f target=-\n",
                sizeMb * perMillion, textBytes / 1e6 * perMillion, sizeMb * 1e6 / static_cast<double>(textBytes));
    return 0;
}
