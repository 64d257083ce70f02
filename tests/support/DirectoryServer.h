#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace quibo::test {

// The real quibo-directory ($QUIBO_BIN_DIR/quibo-directory) on a free loopback port, on an SQLite
// database of its own or on one its caller gives.
//
// Starting, stopping and the stage-setting helpers block: call them between the parts of a
// test that run the event loop, never from inside a client's task.
class DirectoryServer {
public:
    struct Reply {
        int status = -1; // -1: no answer
        QByteArray body;
        QByteArray type;
    };
    struct Finished {
        int exitCode = -1; // -1: it did not end normally
        QString output;    // stdout and stderr together
    };

    // Runs quibo-directory with `arguments` to its end, as the operator's command-line actions do.
    static Finished run(const QStringList &arguments);

    DirectoryServer();
    // On `database`, what --database takes, which the caller owns.
    explicit DirectoryServer(QString database);
    ~DirectoryServer();
    DirectoryServer(const DirectoryServer &) = delete;
    DirectoryServer &operator=(const DirectoryServer &) = delete;

    // From the next start() on, in network namespace `ns` on `host` (an IPv4 address there).
    void placeIn(QString ns, QString host)
    {
        m_namespace = std::move(ns);
        m_host = std::move(host);
    }
    // Another database for the next start().
    void setDatabase(QString database) { m_database = std::move(database); }
    // Starts the server on `port` (0: a free one), with `options` added, and waits until it
    // listens; false (see output()) when it does not. Its self-made TLS key is kept beside an
    // SQLite database, and in a folder of this object's for PostgreSQL.
    bool start(quint16 port = 0, const QStringList &options = {});
    // Ends it (SIGTERM) and gives its exit code (-1 unless it ended normally); start() again
    // serves the same database.
    int stop();
    // Kills it (SIGKILL), as a crash would.
    void kill();
    [[nodiscard]] bool isRunning() const;
    // Stops it answering without closing anything (SIGSTOP), as a hung server would; thaw()
    // lets it go on.
    void freeze();
    void thaw();

    [[nodiscard]] quint16 port() const { return m_port; }
    [[nodiscard]] qint64 processId() const { return m_process ? m_process->processId() : 0; }
    // "host:port" (127.0.0.1 unless placed elsewhere), what Config::setDirectory takes.
    [[nodiscard]] QString authority() const;
    [[nodiscard]] QString output() const { return m_output; }
    // What --database names.
    [[nodiscard]] QString database() const { return m_database; }

    // GET `target` (percent-encoded) on a fresh connection.
    [[nodiscard]] Reply get(const QByteArray &target) const;
    // Registers `handle` with `password` (other fields empty); true when the server took it.
    bool registerUser(const QString &handle, const QString &password);
    // Publishes `address` for `handle`, as a logged-on client would.
    bool publish(const QString &handle, const QString &address);
    // The first line of the handle's readit.cgi answer.
    [[nodiscard]] QString addressOf(const QString &handle) const;
    // The operator's broadcast message; nothing clears it.
    bool setBroadcast(const QByteArray &text);

private:
    QTemporaryDir m_folder;
    QString m_database;
    std::unique_ptr<QProcess> m_process;
    quint16 m_port = 0;
    QString m_output;
    QString m_namespace;
    QString m_host = QStringLiteral("127.0.0.1");
};

} // namespace quibo::test
