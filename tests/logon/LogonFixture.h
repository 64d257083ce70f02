#pragma once

#include "DirectoryServer.h"
#include "TestClient.h"

#include <QByteArray>
#include <QStringList>

namespace quibo::test {

// A free TCP port, for the peer port that the clients of one test share.
quint16 freePeerPort();

// A client that logs on to `directory` (host:port) from `ownAddress`, listening there.
struct LogonClient : TestClient {
    LogonClient(const QString &directory, const QString &ownAddress, quint16 peerPort);

    // A registered user's working files: "settings", "userinfo.dat" (password line first)
    // and, unless empty, "contacts.dat".
    void setUpUser(const QString &handle, const QByteArray &passwordLine, const QStringList &contacts = {});
    void writeFile(const QString &name, const QByteArray &bytes);
    [[nodiscard]] QByteArray readFile(const QString &name) const;
    [[nodiscard]] bool exists(const QString &name) const;

    // Starts the program and presses Connect.
    void connectNow();
    bool waitUntilReady();
    bool waitUntilEnded();

    // Message boxes as "line1|line2", in order.
    [[nodiscard]] QStringList messages() const;
    // Request targets sent to the directory, in order.
    QStringList requests;
};

} // namespace quibo::test
