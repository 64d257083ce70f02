#include "RegistrationFixture.h"

#include "directory/DirectoryClient.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace quibo::test {

namespace {
Config configFor(const QString &directory)
{
    Config config;
    config.setDirectory(directory);
    return config;
}
} // namespace

UserClient::UserClient(const QString &directory) : TestClient(configFor(directory))
{
    QObject::connect(&client->directory(), &DirectoryClient::requestSent, client.get(),
                     [this](const QByteArray &target) { requests.append(QString::fromUtf8(target)); });
}

void UserClient::writeFile(const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(dir.filePath(name)).path());
    QFile file(dir.filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QByteArray UserClient::readFile(const QString &name) const
{
    QFile file(dir.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList UserClient::files() const
{
    QStringList names;
    QDirIterator it(dir.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        names.append(QDir(dir.path()).relativeFilePath(it.next()));
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

RegistrationRun::RegistrationRun(UserClient &c)
    : client(c), registration(c.client->workDir(), c.client->config(), c.client->directory(), c.registration,
                              c.client->notices())
{
    registration.run().then([this](RegistrationOutcome result) { outcome = result; });
}

RegistrationRun::~RegistrationRun()
{
    if (!outcome && client.registration.last()) {
        dialog().closeBox();
        waitFor([this] { return outcome.has_value(); });
    }
}

void RegistrationRun::fill(const QString &handle, const QString &password, const QString &email)
{
    fields().handle = handle;
    fields().info.password = password;
    fields().info.email = email;
}

bool RegistrationRun::pressRegister()
{
    const int before = dialog().enableCount;
    dialog().press(RegistrationUi::RegisterButton);
    return waitFor([&] { return outcome.has_value() || dialog().enableCount > before; });
}

ChangeInfoRun::ChangeInfoRun(UserClient &c) : client(c)
{
    c.client->changeInfo()->run().then([this] { done = true; });
}

ChangeInfoRun::~ChangeInfoRun()
{
    if (!done && client.registration.last()) {
        dialog().closeBox();
        waitFor([this] { return done; });
    }
}

bool ChangeInfoRun::press(int button)
{
    const int before = dialog().enableCount;
    dialog().press(button);
    return waitFor([&] { return done || dialog().enableCount > before; });
}

} // namespace quibo::test
