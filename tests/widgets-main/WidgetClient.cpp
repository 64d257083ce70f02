#include "WidgetClient.h"

namespace quibo::test {

WidgetClient::WidgetClient(const QString &ownHandle)
{
    Config config;
    config.listenAddress = QHostAddress(QStringLiteral("127.0.0.1"));
    config.peerPort = freeLoopbackPort();
    Ports ports;
    widgets.fill(ports);
    ports.sound = &sound;
    ports.shell = &shell;
    ports.process = &process;
    ports.windowCloser = &windowCloser;
    client = std::make_unique<Client>(config, peerTimings(), WorkingDirectory(QDir(dir.path())), ports);

    LogonState &logon = client->logon();
    logon.ownHandle = ownHandle;
    logon.ownAddress = QStringLiteral("127.0.0.1");
    logon.notLoggedOn = false;
    logon.contactsResolved = true;
    client->contacts().AddContactRecord(QStringLiteral("LoopBack"), QStringLiteral("127.0.0.1"), true);
}

WidgetClient::~WidgetClient()
{
    client.reset(); // its tasks go before the windows they wait on
}

bool WidgetClient::startListening()
{
    client->listener().start();
    return waitFor([this] { return client->listener().isListening(); });
}

} // namespace quibo::test
