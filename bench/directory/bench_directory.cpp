// Directory throughput, each figure next to a baseline measured in the same run; the two take
// turns in short slices, so that other load on the machine weighs on both alike.
//  - address look-ups over keep-alive HTTP with 10 000 users, against a bare HTTP route
//    answering "0" (SQLite), or running the directory's own prepared query through libpq
//    (PostgreSQL);
//  - secure look-ups over keep-alive HTTPS, against a bare HTTPS route answering "0", and on
//    PostgreSQL also against the libpq route behind the same TLS;
//  - secure logons (a TLS handshake with the user's key, then a publish) per second, next to
//    bare HTTPS requests each on a new connection;
//  - with --scale: the secure look-ups with 1 000 000 users against 10 000, and a storm of
//    1 000 clients each logging on and looking up 100 contacts, as fast as the server allows.
//
//   bench_directory [--database DB]... [--seconds N] [--clients N] [--scale]
//
// Without --database: a fresh SQLite file, and PostgreSQL too when QUIBO_TEST_POSTGRES_URL
// names a server (scripts/start-postgres.sh); PostgreSQL runs in schemas of its own.

#include "DatabaseLocation.h"
#include "Passwords.h"
#include "TlsIdentity.h"

#include <httplib.h>
#include <libpq-fe.h>

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <sched.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;
using namespace quibo::directory;

namespace {

constexpr int userCount = 10'000;
constexpr int manyUsers = 1'000'000;
constexpr int logonKeys = 1'000;     // users with a key of their own: the storm's clients
constexpr int stormContacts = 100;   // each storm client looks up this many
constexpr int stormThreads = 32;     // storm clients at once
constexpr int serverThreads = 16;    // the directory's default
constexpr double sliceSeconds = 0.5; // each server's turns last this long

struct Settings {
    QStringList databases;
    int seconds = 5;
    int clients = 4;
    bool scale = false;
};

// One RESULT line of bench/run-all.
struct Row {
    QString name;
    double figure = 0;
    double baseline = 0;
    const char *unit = "";
    const char *target = "none";
};

[[noreturn]] void die(const QString &message)
{
    std::fprintf(stderr, "bench_directory: %s\n", qPrintable(message));
    std::exit(1);
}

QString handleOf(const QString &prefix, int i)
{
    return prefix + QString::number(i);
}

std::string addressOf(int i)
{
    return u"10.%1.%2.%3"_s.arg(i >> 16).arg((i >> 8) & 255).arg(i & 255).toStdString();
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

struct ClientKey {
    TlsIdentity identity;
    QString fingerprint;
};

std::vector<ClientKey> makeKeys(int count)
{
    std::vector<ClientKey> keys;
    for (int i = 0; i < count; ++i) {
        std::optional<TlsIdentity> made = makeSelfSigned(u"bench"_s);
        if (!made)
            die(u"cannot make a key"_s);
        const QString fingerprint = QString::fromLatin1(keyFingerprint(made->certificate.get()));
        keys.push_back({std::move(*made), fingerprint});
    }
    return keys;
}

// `count` secure users "bench<i>" at 10.x.y.z go straight into the database in one statement
// (registering them would take a slow hash each), and the users "logon<i>" with the keys.
void fillDatabase(const QString &database, int count, const std::vector<ClientKey> &keys)
{
    QProcess create; // lets the server lay out its own tables
    create.start(QCoreApplication::applicationDirPath() + u"/quibo-directory"_s,
                 {u"--database"_s, database, u"--clear-broadcast"_s});
    if (!create.waitForFinished(60000) || create.exitCode() != 0)
        die(u"cannot prepare the database: "_s + QString::fromLocal8Bit(create.readAllStandardError()));

    static const QString hash = QString::fromLatin1(passwords::hash(u"bench"_s));
    const QString columns = u"handle, password, first_name, last_name, email, city, state, country, sex, age, "
                            "persinfo, kind, password_hash, key_fingerprint, address"_s;
    const QString values = u"'', '', '', 'bench@example.org', '', '', '', '', '', '', 'secure', '%1', '%2', "_s.arg(
        hash, QString(64, u'0'));
    const QString address = u"'10.' || (i >> 16) || '.' || ((i >> 8) & 255) || '.' || (i & 255)"_s;
    const QString fill =
        isPostgres(database)
            ? u"INSERT INTO quibo_users (%1) SELECT 'bench' || i, %2%3 FROM generate_series(0, %4) AS i"_s
            : u"WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %4) "
              "INSERT INTO quibo_users (%1) SELECT 'bench' || i, %2%3 FROM n"_s;
    withDatabase(database, [&](QSqlDatabase &db) {
        if (!db.transaction())
            die(db.lastError().text());
        execute(db, fill.arg(columns, values, address).arg(count - 1));
        QSqlQuery insert(db);
        insert.prepare(u"INSERT INTO quibo_users (%1) VALUES (?, %2'0')"_s.arg(columns, values).replace(
            u'\'' + QString(64, u'0') + u'\'', u"?"_s));
        for (size_t i = 0; i < keys.size(); ++i) {
            insert.bindValue(0, handleOf(u"logon"_s, static_cast<int>(i)));
            insert.bindValue(1, keys[i].fingerprint);
            if (!insert.exec())
                die(insert.lastError().text());
        }
        insert = QSqlQuery();
        if (!db.commit())
            die(db.lastError().text());
        if (isPostgres(database))
            execute(db, u"ANALYZE quibo_users"_s);
    });
}

// A quibo-directory on `database`, its self-made key in `stateFolder`.
class Directory {
public:
    Directory(const QString &database, const QString &stateFolder)
    {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QCoreApplication::applicationDirPath() + u"/quibo-directory"_s,
                        {u"--listen"_s, u"127.0.0.1:0"_s, u"--database"_s, database, u"--state-dir"_s, stateFolder});
        QString said;
        const QRegularExpression listening(u"listening on 127\\.0\\.0\\.1:(\\d+)"_s);
        while (!listening.match(said).hasMatch() && m_process.waitForReadyRead(20000))
            said += QString::fromLocal8Bit(m_process.readAll());
        if (!listening.match(said).hasMatch())
            die(u"quibo-directory did not start: "_s + said);
        port = static_cast<quint16>(listening.match(said).captured(1).toUInt());
    }
    ~Directory()
    {
        m_process.terminate();
        m_process.waitForFinished();
    }
    Directory(const Directory &) = delete;
    Directory &operator=(const Directory &) = delete;

    quint16 port = 0;

private:
    QProcess m_process;
};

// The baselines: httplib with the directory's thread pool size and socket settings.
class BareServer {
public:
    // Plain HTTP, or HTTPS with the certificate in `tlsFolder`; `handler` answers every GET.
    BareServer(const QString &tlsFolder, httplib::Server::Handler handler)
    {
        if (tlsFolder.isEmpty()) {
            m_server = std::make_unique<httplib::Server>();
        } else {
            const TlsFiles files = selfMadeFiles(tlsFolder);
            m_server = std::make_unique<httplib::SSLServer>(files.certificate.toLocal8Bit().constData(),
                                                            files.key.toLocal8Bit().constData());
        }
        m_server->new_task_queue = [] { return new httplib::ThreadPool(serverThreads); };
        m_server->set_tcp_nodelay(true);
        m_server->set_keep_alive_max_count(1000);
        m_server->Get(".*", std::move(handler));
        port = static_cast<quint16>(m_server->bind_to_any_port("127.0.0.1"));
        // Bound means listening: early requests wait in the backlog.
        m_thread = std::thread([this] { m_server->listen_after_bind(); });
    }
    ~BareServer()
    {
        while (!m_server->is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        m_server->stop();
        m_thread.join();
    }
    BareServer(const BareServer &) = delete;
    BareServer &operator=(const BareServer &) = delete;

    quint16 port = 0;

private:
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
};

void answerZero(const httplib::Request &, httplib::Response &response)
{
    response.set_content("0", "text/plain; charset=utf-8");
}

// The directory's look-up and nothing else: the same prepared query through libpq, on one
// connection per thread.
httplib::Server::Handler libpqLookUp(const QString &database)
{
    return [url = database.toStdString()](const httplib::Request &request, httplib::Response &response) {
        struct Finish {
            void operator()(PGconn *connection) const { PQfinish(connection); }
        };
        thread_local std::unique_ptr<PGconn, Finish> connection;
        if (!connection) {
            connection.reset(PQconnectdb(url.c_str()));
            PQclear(PQprepare(connection.get(), "address", "SELECT address FROM quibo_users WHERE handle = $1", 1,
                              nullptr));
        }
        const std::string handle = request.get_param_value("id");
        const char *values[] = {handle.c_str()};
        PGresult *result = PQexecPrepared(connection.get(), "address", 1, values, nullptr, nullptr, 0);
        const bool found = PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0;
        response.set_content(found ? PQgetvalue(result, 0, 0) : "0", "text/plain; charset=utf-8");
        PQclear(result);
    };
}

// One client's next request: whether the answer was right.
using Step = std::function<bool(std::mt19937 &)>;
// Makes a client's connection and its steps, on that client's thread.
using Client = std::function<Step(int client)>;

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

// Steps done, and seconds taken, by `clients` threads for `seconds`. A wrong answer is fatal.
Count measure(int clients, double seconds, const Client &client)
{
    std::atomic<long> done{0};
    std::atomic<long> wrong{0};
    std::atomic<bool> running{true};
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            const Step step = client(c);
            std::mt19937 random(static_cast<unsigned>(c) + 1);
            long mine = 0;
            while (running.load(std::memory_order_relaxed)) {
                if (!step(random))
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

// `figure` and `baseline` in turns, after a warm-up of each.
std::pair<double, double> alternate(const Settings &settings, const Client &figure, const Client &baseline)
{
    measure(settings.clients, 0.5, baseline);
    measure(settings.clients, 0.5, figure);
    Count figures;
    Count baselines;
    for (int round = 0; round < settings.seconds / sliceSeconds; ++round) {
        baselines += measure(settings.clients, sliceSeconds, baseline);
        figures += measure(settings.clients, sliceSeconds, figure);
    }
    return {figures.rate(), baselines.rate()};
}

std::unique_ptr<httplib::SSLClient> tlsClient(quint16 port, const ClientKey *key, bool keepAlive)
{
    auto client = std::make_unique<httplib::SSLClient>("127.0.0.1", port, key ? key->identity.certificate.get() : nullptr,
                                                       key ? key->identity.key.get() : nullptr);
    client->enable_server_certificate_verification(false);
    client->set_keep_alive(keepAlive);
    client->set_tcp_nodelay(true);
    return client;
}

std::shared_ptr<httplib::ClientImpl> httpClient(quint16 port, bool tls, bool keepAlive)
{
    if (tls)
        return tlsClient(port, nullptr, keepAlive);
    auto client = std::make_shared<httplib::ClientImpl>("127.0.0.1", port);
    client->set_keep_alive(keepAlive);
    client->set_tcp_nodelay(true);
    return client;
}

// Address look-ups of random users among `users`, over one keep-alive connection.
Client addressLookUps(quint16 port, int users, bool tls)
{
    return [port, users, tls](int) -> Step {
        const std::shared_ptr<httplib::ClientImpl> client = httpClient(port, tls, true);
        return [client, users](std::mt19937 &random) {
            const int i = std::uniform_int_distribution<int>(0, users - 1)(random);
            const httplib::Result result =
                client->Get(("/ipadd/readit.cgi?id=" + handleOf(u"bench"_s, i).toStdString()).c_str());
            return result && result->body == addressOf(i);
        };
    };
}

Client secureLookUps(quint16 port, int users)
{
    return [port, users](int) -> Step {
        std::shared_ptr<httplib::SSLClient> client = tlsClient(port, nullptr, true);
        return [client, users](std::mt19937 &random) {
            const int i = std::uniform_int_distribution<int>(0, users - 1)(random);
            const httplib::Result result =
                client->Get(("/secure/lookup?id=" + handleOf(u"bench"_s, i).toStdString()).c_str());
            return result && result->body.starts_with("address=" + addressOf(i) + "\n");
        };
    };
}

// Each step a new connection with the user's key and a publish on it.
Client secureLogons(quint16 port, const std::vector<ClientKey> &keys)
{
    return [port, &keys](int c) -> Step {
        std::shared_ptr<httplib::SSLClient> client = tlsClient(port, &keys.at(static_cast<size_t>(c)), false);
        const std::string form = "id=" + handleOf(u"logon"_s, c).toStdString() + "&ip=10.200.0.1";
        return [client, form](std::mt19937 &) {
            const httplib::Result result =
                client->Post("/secure/publish", form, "application/x-www-form-urlencoded");
            return result && result->body == "ok";
        };
    };
}

Client bareGets(quint16 port, bool tls, bool keepAlive)
{
    return [port, tls, keepAlive](int) -> Step {
        const std::shared_ptr<httplib::ClientImpl> client = httpClient(port, tls, keepAlive);
        return [client](std::mt19937 &) {
            const httplib::Result result = client->Get("/ipadd/readit.cgi?id=bench0");
            return result && result->body == "0";
        };
    };
}

// 1 000 clients, `stormThreads` at a time, each logging on with its key and looking up
// `stormContacts` random users on the same connection: logons per second.
double storm(quint16 port, const std::vector<ClientKey> &keys)
{
    std::atomic<int> next{0};
    std::atomic<long> wrong{0};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (int t = 0; t < stormThreads; ++t) {
        threads.emplace_back([&, t] {
            std::mt19937 random(static_cast<unsigned>(t) + 1);
            for (int c = next++; c < static_cast<int>(keys.size()); c = next++) {
                const auto client = tlsClient(port, &keys[static_cast<size_t>(c)], true);
                const httplib::Result logon = client->Post(
                    "/secure/publish", "id=" + handleOf(u"logon"_s, c).toStdString() + "&ip=10.201.0.1",
                    "application/x-www-form-urlencoded");
                wrong += !logon || logon->body != "ok";
                for (int k = 0; k < stormContacts; ++k) {
                    const int i = std::uniform_int_distribution<int>(0, userCount - 1)(random);
                    const httplib::Result found =
                        client->Get(("/secure/lookup?id=" + handleOf(u"bench"_s, i).toStdString()).c_str());
                    wrong += !found || !found->body.starts_with("address=" + addressOf(i) + "\n");
                }
            }
        });
    }
    for (std::thread &t : threads)
        t.join();
    if (wrong > 0)
        die(u"%1 storm replies were wrong"_s.arg(wrong.load()));
    return static_cast<double>(keys.size()) /
           std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A schema of the bench's own on the server `url` names, dropped at the end.
class PostgresSchema {
public:
    PostgresSchema(QString url, const QString &suffix)
        : m_url(std::move(url)), m_name(u"quibo_bench_%1_%2"_s.arg(QCoreApplication::applicationPid()).arg(suffix))
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

// A database to fill: an SQLite file in `folder`, or a schema on the PostgreSQL server.
class BenchDatabase {
public:
    BenchDatabase(const QString &given, const QString &folder, const QString &suffix)
    {
        if (isPostgres(given)) {
            m_schema = std::make_unique<PostgresSchema>(given, suffix);
            location = m_schema->database();
        } else {
            location = given.isEmpty() ? folder + u"/bench-"_s + suffix + u".sqlite"_s : given;
        }
    }
    QString location;

private:
    std::unique_ptr<PostgresSchema> m_schema;
};

std::vector<Row> benchmark(const QString &database, const Settings &settings, const std::vector<ClientKey> &keys)
{
    const bool postgres = isPostgres(database);
    const QString store = postgres ? u"postgresql"_s : u"sqlite"_s;
    const QTemporaryDir folder;
    const BenchDatabase usual(database, folder.path(), u"usual"_s);
    fillDatabase(usual.location, userCount, keys);
    const Directory directory(usual.location, folder.path());
    std::vector<Row> rows;

    {
        const BareServer bare({}, postgres ? libpqLookUp(usual.location) : answerZero);
        const Client baseline = postgres ? addressLookUps(bare.port, userCount, false) : bareGets(bare.port, false, true);
        const auto [figure, base] = alternate(settings, addressLookUps(directory.port, userCount, false), baseline);
        rows.push_back({u"directory-"_s + store, figure, base, "look-ups/s", postgres ? "ratio>=0.8" : "ratio>=0.6"});
    }
    {
        const BareServer bare(folder.path(), answerZero);
        const auto [figure, base] =
            alternate(settings, secureLookUps(directory.port, userCount), bareGets(bare.port, true, true));
        rows.push_back({u"directory-https-"_s + store, figure, base, "look-ups/s", "ratio>=0.6"});
        if (postgres) {
            // The second baseline: the same query through libpq, behind the same TLS.
            const BareServer bareQuery(folder.path(), libpqLookUp(usual.location));
            const auto [secure, query] = alternate(settings, secureLookUps(directory.port, userCount),
                                                   addressLookUps(bareQuery.port, userCount, true));
            rows.push_back({u"directory-https-libpq"_s, secure, query, "look-ups/s", "ratio>=0.8"});
        }
        const auto [logons, connections] =
            alternate(settings, secureLogons(directory.port, keys), bareGets(bare.port, true, false));
        rows.push_back({u"directory-logon-"_s + store, logons, connections, "logons/s"});
    }
    if (settings.scale) {
        // A given SQLite file holds the usual users; the million go into one beside it.
        const BenchDatabase large(postgres ? database : QString(), folder.path(), u"large"_s);
        fillDatabase(large.location, manyUsers, {});
        const Directory many(large.location, folder.path());
        const auto [figure, base] =
            alternate(settings, secureLookUps(many.port, manyUsers), secureLookUps(directory.port, userCount));
        rows.push_back({u"directory-1m-"_s + store, figure, base, "look-ups/s", "ratio>=0.9"});
        rows.push_back({u"directory-storm-"_s + store, storm(directory.port, keys), 0, "logons/s"});
    }
    return rows;
}

Settings parseArguments(const QStringList &arguments)
{
    Settings settings;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &option = arguments.at(i);
        if (option == u"--scale"_s) {
            settings.scale = true;
            continue;
        }
        if (i + 1 >= arguments.size())
            die(option + u" needs a value"_s);
        const QString value = arguments.at(++i);
        if (option == u"--database"_s)
            settings.databases.append(value);
        else if (option == u"--seconds"_s)
            settings.seconds = qMax(1, value.toInt());
        else if (option == u"--clients"_s)
            settings.clients = qBound(1, value.toInt(), logonKeys);
        else
            die(u"unknown option "_s + option);
    }
    return settings;
}

void printRows(const QString &database, const std::vector<Row> &rows, const Settings &settings)
{
    std::printf("directory throughput (%s, %d users, %d clients, %d s each, %u cores)\n",
                isPostgres(database) ? "PostgreSQL" : "SQLite", userCount, settings.clients, settings.seconds,
                std::thread::hardware_concurrency());
    for (const Row &row : rows) {
        std::printf("  %-28s %10.0f %s", qPrintable(row.name), row.figure, row.unit);
        if (row.baseline > 0)
            std::printf(", baseline %10.0f, ratio %.2f", row.baseline, row.figure / row.baseline);
        std::printf("\n");
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    // The directory runs under the batch policy; the baselines and the clients do too, so that
    // other load on the machine weighs on both alike.
    const sched_param parameters{};
    sched_setscheduler(0, SCHED_BATCH, &parameters);
    QCoreApplication app(argc, argv);
    Settings settings = parseArguments(app.arguments());
    if (settings.databases.isEmpty()) {
        settings.databases.append(QString());
        if (const QString url = qEnvironmentVariable("QUIBO_TEST_POSTGRES_URL"); !url.isEmpty())
            settings.databases.append(url);
    }
    const std::vector<ClientKey> keys = makeKeys(logonKeys);

    std::vector<Row> all;
    for (const QString &database : std::as_const(settings.databases)) {
        const std::vector<Row> rows = benchmark(database, settings, keys);
        printRows(database, rows, settings);
        all.insert(all.end(), rows.begin(), rows.end());
    }
    for (const Row &row : all) {
        const QString baseline = row.baseline > 0 ? QString::number(row.baseline, 'f', 0) : u"-"_s;
        const QString ratio = row.baseline > 0 ? QString::number(row.figure / row.baseline, 'f', 2) : u"-"_s;
        std::printf("RESULT name=%s figure=%.0f baseline=%s unit=%s ratio=%s target=%s\n", qPrintable(row.name),
                    row.figure, qPrintable(baseline), row.unit, qPrintable(ratio), row.target);
    }
    return 0;
}
