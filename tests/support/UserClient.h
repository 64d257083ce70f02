#pragma once

#include "TestClient.h"
#include "TestFiles.h"

namespace quibo::test {

// A client of the directory at `directory` ("host:port", "https://host:port"), trusting the key
// `directoryPin` when given, that records every request target it sends. Given `ownAddress`, it
// logs on from there and listens on `peerPort`.
struct UserClient : TestClient {
    explicit UserClient(const QString &directory, const QString &ownAddress = {}, quint16 peerPort = 0,
                        const QString &directoryPin = {});

    // A registered user's files: "settings", "userinfo.dat" (password line first) and, unless
    // empty, "contacts.dat".
    void setUpUser(const QString &handle, const QByteArray &passwordLine, const QStringList &contacts = {});
    void write(const QString &name, const QByteArray &bytes) { writeFile(dir.filePath(name), bytes); }
    [[nodiscard]] QByteArray read(const QString &name) const { return readFile(dir.filePath(name)); }
    [[nodiscard]] bool exists(const QString &name) const { return QFile::exists(dir.filePath(name)); }
    // Every file under the working directory but the history's, relative names, sorted.
    [[nodiscard]] QStringList files() const;
    // Message boxes as "line1|line2", in order.
    [[nodiscard]] QStringList messages() const;

    // Starts the program and presses Connect; then waits for "Ready" or the program's end.
    void connectNow();
    bool waitUntilReady();
    bool waitUntilEnded();

    QStringList requests;
};

} // namespace quibo::test
