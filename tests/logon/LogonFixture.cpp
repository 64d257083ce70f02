#include "LogonFixture.h"

#include "directory/DirectoryClient.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>

namespace quibo::test {

namespace {
Config configFor(const QString &directory, const QString &ownAddress, quint16 peerPort)
{
    Config config;
    config.setDirectory(directory);
    config.ownAddressOverride = ownAddress;
    config.listenAddress = QHostAddress(ownAddress);
    config.peerPort = peerPort;
    config.webPort = 8080;
    return config;
}
} // namespace

quint16 freePeerPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

LogonClient::LogonClient(const QString &directory, const QString &ownAddress, quint16 peerPort)
    : TestClient(configFor(directory, ownAddress, peerPort))
{
    QObject::connect(&client->directory(), &DirectoryClient::requestSent, client.get(),
                     [this](const QByteArray &target) { requests.append(QString::fromUtf8(target)); });
}

void LogonClient::setUpUser(const QString &handle, const QByteArray &passwordLine, const QStringList &contacts)
{
    writeFile(QStringLiteral("settings"), handle.toUtf8() + "\r\n");
    writeFile(QStringLiteral("userinfo.dat"), passwordLine + "Ann\r\nSmith\r\nann@example.org\r\n");
    if (!contacts.isEmpty())
        writeFile(QStringLiteral("contacts.dat"), contacts.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
}

void LogonClient::writeFile(const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(dir.filePath(name)).path());
    QFile file(dir.filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QByteArray LogonClient::readFile(const QString &name) const
{
    QFile file(dir.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool LogonClient::exists(const QString &name) const
{
    return QFile::exists(dir.filePath(name));
}

void LogonClient::connectNow()
{
    client->start();
    ui.connectView->clickConnect();
}

bool LogonClient::waitUntilReady()
{
    return waitFor(
        [this] { return mainWindow.status == QStringLiteral("Ready") && client->logon().contactsResolved; });
}

bool LogonClient::waitUntilEnded()
{
    return waitFor([this] { return process.ended(); });
}

QStringList LogonClient::messages() const
{
    QStringList result;
    for (const QString &line : ui.log) {
        if (line.startsWith(QStringLiteral("message|")))
            result.append(line.section(u'|', 1));
    }
    return result;
}

} // namespace quibo::test
