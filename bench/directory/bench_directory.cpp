// Directory throughput: address look-ups per second with 10 000 registered users, over
// keep-alive connections, next to a bare HTTP server answering "0" in the same run. The two
// take turns in short slices, so that other load on the machine weighs on both alike.
//
//   bench_directory [--database DB]... [--seconds N] [--clients N]
//
// Without --database: a fresh SQLite file, and PostgreSQL too when QUIBO_TEST_POSTGRES_URL
// names a server (scripts/start-postgres.sh); PostgreSQL runs in a schema of its own.

#include "DatabaseLocation.h"

#include <httplib.h>

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;
using namespace quibo::directory;

namespace {

constexpr int userCount = 10'000;
constexpr int serverThreads = 16;    // the directory's default
constexpr double sliceSeconds = 0.5; // each server's turns last this long

struct Settings {
    QStringList databases;
    int seconds = 5;
    int clients = 4;
};

struct Figures {
    QString backend;
    double baseline = 0;
    double lookups = 0;
};

[[noreturn]] void die(const QString &message)
{
    std::fprintf(stderr, "bench_directory: %s\n", qPrintable(message));
    std::exit(1);
}

QString handleOf(int i)
{
    return u"bench%1"_s.arg(i);
}

bool isPostgres(const QString &database)
{
    return database.startsWith(u"postgres"_s);
}

// Runs `work` on a connection of its own to `database`.
template <typename Work> void withDatabase(const QString &database, Work work)
{
    const auto parsed = parseDatabaseLocation(database);
    if (const auto *error = std::get_if<LocationError>(&parsed))
        die(error->message);
    const auto &location = std::get<DatabaseLocation>(parsed);
    {
        const bool sqlite = location.kind == DatabaseLocation::Kind::Sqlite;
        QSqlDatabase db = QSqlDatabase::addDatabase(sqlite ? u"QSQLITE"_s : u"QPSQL"_s, u"bench"_s);
        db.setDatabaseName(sqlite ? location.sqlitePath : location.databaseName);
        db.setHostName(location.host);
        db.setPort(location.port);
        db.setUserName(location.user);
        db.setPassword(location.password);
        if (!sqlite)
            db.setConnectOptions(location.connectOptions);
        if (!db.open())
            die(db.lastError().text());
        work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(u"bench"_s);
}

void execute(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        die(query.lastError().text());
}

// The users go straight into the database in one transaction: registering them one by
// one would wait for 10 000 disk flushes.
void fillDatabase(const QString &database)
{
    QProcess create; // lets the server lay out its own tables
    create.start(QCoreApplication::applicationDirPath() + u"/quibo-directory"_s,
                 {u"--database"_s, database, u"--clear-broadcast"_s});
    if (!create.waitForFinished(60000) || create.exitCode() != 0)
        die(u"cannot prepare the database: "_s + QString::fromLocal8Bit(create.readAllStandardError()));

    withDatabase(database, [](QSqlDatabase &db) {
        if (!db.transaction())
            die(db.lastError().text());
        QSqlQuery insert(db);
        insert.prepare(
            u"INSERT INTO quibo_users (handle, password, first_name, last_name, email, city, "
            "state, country, sex, age, persinfo, address) "
            "VALUES (?, 'pw', '', '', '', '', '', '', '', '', '', ?) ON CONFLICT (handle) DO NOTHING"_s);
        for (int i = 0; i < userCount; ++i) {
            insert.bindValue(0, handleOf(i));
            insert.bindValue(1, u"10.%1.%2.%3"_s.arg(i >> 16).arg((i >> 8) & 255).arg(i & 255));
            if (!insert.exec())
                die(insert.lastError().text());
        }
        insert = QSqlQuery();
        if (!db.commit())
            die(db.lastError().text());
    });
}

// Requests answered, and seconds taken, by `clients` threads, each on one keep-alive
// connection, each asking for random users. A reply other than `expected(i)` is fatal.
struct Count {
    long requests = 0;
    double seconds = 0;
    Count &operator+=(const Count &other)
    {
        requests += other.requests;
        seconds += other.seconds;
        return *this;
    }
    double rate() const { return static_cast<double>(requests) / seconds; }
};

template <typename Expected>
Count measure(quint16 port, const Settings &settings, double seconds, Expected expected)
{
    std::atomic<long> done{0};
    std::atomic<long> wrong{0};
    std::atomic<bool> running{true};
    std::vector<std::thread> threads;
    for (int c = 0; c < settings.clients; ++c) {
        threads.emplace_back([&, c] {
            httplib::Client client("127.0.0.1", port);
            client.set_keep_alive(true);
            client.set_tcp_nodelay(true);
            std::mt19937 random(static_cast<unsigned>(c) + 1);
            std::uniform_int_distribution<int> pick(0, userCount - 1);
            long mine = 0;
            while (running.load(std::memory_order_relaxed)) {
                const int i = pick(random);
                const std::string target = "/ipadd/readit.cgi?id=" + handleOf(i).toStdString();
                const httplib::Result result = client.Get(target.c_str());
                if (!result || result->body != expected(i))
                    ++wrong;
                ++mine;
            }
            done += mine;
        });
    }
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    running = false;
    for (std::thread &t : threads)
        t.join();
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (wrong > 0)
        die(u"%1 of %2 replies were wrong"_s.arg(wrong.load()).arg(done.load()));
    return {done.load(), elapsed};
}

quint16 startDirectory(QProcess &directory, const QString &database)
{
    directory.setProcessChannelMode(QProcess::MergedChannels);
    directory.start(QCoreApplication::applicationDirPath() + u"/quibo-directory"_s,
                    {u"--listen"_s, u"127.0.0.1:0"_s, u"--database"_s, database});
    QString said;
    const QRegularExpression listening(u"listening on 127\\.0\\.0\\.1:(\\d+)"_s);
    while (!listening.match(said).hasMatch() && directory.waitForReadyRead(20000))
        said += QString::fromLocal8Bit(directory.readAll());
    if (!listening.match(said).hasMatch())
        die(u"quibo-directory did not start: "_s + said);
    return static_cast<quint16>(listening.match(said).captured(1).toUInt());
}

Figures benchmark(const QString &database, const Settings &settings)
{
    fillDatabase(database);
    QProcess directory;
    const quint16 directoryPort = startDirectory(directory, database);

    // The baseline: the same HTTP library, thread pool and socket settings, no work.
    httplib::Server bare;
    bare.new_task_queue = [] { return new httplib::ThreadPool(serverThreads); };
    bare.set_tcp_nodelay(true);
    bare.set_keep_alive_max_count(1000);
    bare.Get(".*", [](const httplib::Request &, httplib::Response &response) {
        response.set_content("0", "text/plain; charset=utf-8");
    });
    const auto barePort = static_cast<quint16>(bare.bind_to_any_port("127.0.0.1"));
    std::thread bareThread([&bare] { bare.listen_after_bind(); });
    // Bound means listening: early requests wait in the backlog.

    const auto anyZero = [](int) { return std::string("0"); };
    const auto addressOf = [](int i) {
        return u"10.%1.%2.%3"_s.arg(i >> 16).arg((i >> 8) & 255).arg(i & 255).toStdString();
    };
    measure(barePort, settings, 0.5, anyZero); // warm-up
    measure(directoryPort, settings, 0.5, addressOf);
    Count baseline;
    Count lookups;
    for (int round = 0; round < settings.seconds / sliceSeconds; ++round) {
        baseline += measure(barePort, settings, sliceSeconds, anyZero);
        lookups += measure(directoryPort, settings, sliceSeconds, addressOf);
    }

    bare.stop();
    bareThread.join();
    directory.terminate();
    directory.waitForFinished();
    return {isPostgres(database) ? u"PostgreSQL"_s : u"SQLite"_s, baseline.rate(), lookups.rate()};
}

// A schema of the bench's own on the server `url` names, dropped at the end.
class PostgresSchema {
public:
    explicit PostgresSchema(QString url)
        : m_url(std::move(url)), m_name(u"quibo_bench_%1"_s.arg(QCoreApplication::applicationPid()))
    {
        withDatabase(m_url, [this](QSqlDatabase &db) { execute(db, u"CREATE SCHEMA "_s + m_name); });
    }
    ~PostgresSchema()
    {
        withDatabase(m_url, [this](QSqlDatabase &db) {
            // Keeps "drop cascades to ..." out of the report.
            execute(db, u"SET client_min_messages TO WARNING"_s);
            execute(db, u"DROP SCHEMA "_s + m_name + u" CASCADE"_s);
        });
    }
    PostgresSchema(const PostgresSchema &) = delete;
    PostgresSchema &operator=(const PostgresSchema &) = delete;

    QString database() const
    {
        return m_url + (m_url.contains(u'?') ? u'&' : u'?') + u"options=-csearch_path%3D"_s + m_name;
    }

private:
    QString m_url;
    QString m_name;
};

Settings parseArguments(const QStringList &arguments)
{
    Settings settings;
    for (qsizetype i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments.at(i) == u"--database"_s)
            settings.databases.append(arguments.at(i + 1));
        else if (arguments.at(i) == u"--seconds"_s)
            settings.seconds = qMax(1, arguments.at(i + 1).toInt());
        else if (arguments.at(i) == u"--clients"_s)
            settings.clients = qMax(1, arguments.at(i + 1).toInt());
        else
            die(u"unknown option "_s + arguments.at(i));
    }
    return settings;
}

void printFigures(const Figures &figures, const Settings &settings)
{
    std::printf("directory throughput (%d users, %s, %d keep-alive clients, %d s each, %u cores)\n",
                userCount, qPrintable(figures.backend), settings.clients, settings.seconds,
                std::thread::hardware_concurrency());
    std::printf("  bare HTTP baseline:        %10.0f requests/s\n", figures.baseline);
    std::printf("  quibo-directory look-ups:  %10.0f requests/s\n", figures.lookups);
    std::printf("  ratio directory/baseline:  %10.2f\n", figures.lookups / figures.baseline);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Settings settings = parseArguments(app.arguments());
    QTemporaryDir folder;
    if (settings.databases.isEmpty()) {
        settings.databases.append(folder.filePath(u"bench.sqlite"_s));
        if (const QString url = qEnvironmentVariable("QUIBO_TEST_POSTGRES_URL"); !url.isEmpty())
            settings.databases.append(url);
    }

    std::vector<Figures> results;
    for (const QString &database : std::as_const(settings.databases)) {
        if (!isPostgres(database)) {
            results.push_back(benchmark(database, settings));
        } else {
            const PostgresSchema schema(database);
            results.push_back(benchmark(schema.database(), settings));
        }
        printFigures(results.back(), settings);
    }

    for (const Figures &figures : results) {
        const bool sqlite = figures.backend == u"SQLite"_s;
        std::printf("RESULT name=directory-%s figure=%.0f baseline=%.0f unit=look-ups/s ratio=%.2f "
                    "target=ratio>=%.1f\n",
                    sqlite ? "sqlite" : "postgresql", figures.lookups, figures.baseline,
                    figures.lookups / figures.baseline, sqlite ? 0.6 : 0.5);
    }
    return 0;
}
