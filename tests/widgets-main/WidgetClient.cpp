#include "WidgetClient.h"

namespace quibo::test {

WidgetClient::WidgetClient(const QString &ownHandle)
{
    Config config;
    config.listenAddress = QHostAddress(QStringLiteral("127.0.0.1"));
    config.peerPort = freeLoopbackPort();
    Ports ports;
    ports.connect = &ui;
    ports.mainWindow = &mainWindow;
    ports.notices = &notices;
    ports.sound = &sound;
    ports.shell = &shell;
    ports.process = &process;
    ports.messages = &messages;
    ports.registration = &registration;
    ports.broadcast = &broadcast;
    ports.windowCloser = &windowCloser;
    client = std::make_unique<Client>(config, peerTimings(), WorkingDirectory(QDir(dir.path())), ports);

    SessionState &session = client->session();
    session.ownHandle = ownHandle;
    session.ownAddress = QStringLiteral("127.0.0.1");
    session.notLoggedOn = false;
    session.contactsResolved = true;
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
