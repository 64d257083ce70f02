#include "UserClient.h"

#include "directory/DirectoryClient.h"

#include <QDirIterator>

namespace quibo::test {

namespace {
Config configFor(const QString &directory, const QString &ownAddress, quint16 peerPort, const QString &pin,
                 const QString &ownAddress6)
{
    Config config;
    config.ownAddress6Override = ownAddress6;
    config.setDirectory(directory);
    if (!pin.isEmpty())
        config.setDirectoryPin(pin);
    if (!ownAddress.isEmpty()) {
        config.ownAddressOverride = ownAddress;
        config.listenAddress = QHostAddress(ownAddress);
        config.peerPort = peerPort;
        config.webPort = 8080;
    }
    return config;
}
// Short waits, but time enough for a sanitizer build's server to answer on a busy machine.
Timings directoryTimings()
{
    Timings timings = TestClient::fastTimings();
    timings.httpTimeout = std::chrono::seconds(2);
    timings.tlsHandshake = std::chrono::seconds(2);
    return timings;
}
} // namespace

UserClient::UserClient(const QString &directory, const QString &ownAddress, quint16 peerPort,
                       const QString &directoryPin, const QString &ownAddress6)
    : TestClient(configFor(directory, ownAddress, peerPort, directoryPin, ownAddress6), directoryTimings())
{
    QObject::connect(&client->directorySession().directory(), &DirectoryClient::requestSent, client.get(),
                     [this](const QByteArray &target) { requests.append(QString::fromUtf8(target)); });
}

void UserClient::setUpUser(const QString &handle, const QByteArray &passwordLine, const QStringList &contacts)
{
    write(QStringLiteral("settings"), handle.toUtf8() + "\r\n");
    write(QStringLiteral("userinfo.dat"), passwordLine + "Ann\r\nSmith\r\nann@example.org\r\n");
    if (!contacts.isEmpty())
        write(QStringLiteral("contacts.dat"), contacts.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
}

QStringList UserClient::files() const
{
    QStringList names;
    QDirIterator it(dir.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        names.append(QDir(dir.path()).relativeFilePath(it.next()));
    // The history's databases are there from the start, whatever the user did.
    names.removeIf([](const QString &name) { return name.startsWith(QStringLiteral("history")); });
    names.sort();
    return names;
}

QStringList UserClient::messages() const
{
    QStringList lines;
    for (const QString &entry : ui.log) {
        if (entry.startsWith(QStringLiteral("message|")))
            lines.append(entry.mid(8));
    }
    return lines;
}

void UserClient::connectNow()
{
    client->start();
    ui.connectView->clickConnect();
}

bool UserClient::waitUntilReady()
{
    return waitFor(
        [this] { return mainWindow.status == QStringLiteral("Ready") && client->logon().contactsResolved; });
}

bool UserClient::waitUntilEnded()
{
    return waitFor([this] { return process.ended(); });
}

} // namespace quibo::test
