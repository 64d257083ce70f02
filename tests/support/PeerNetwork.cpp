#include "PeerNetwork.h"

#include "RawPeer.h"

#include "directory/WorkingFiles.h"
#include "peer/PeerRecord.h"
#include "keys/UserKey.h"

#include <QTcpServer>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace quibo::test {

Timings peerTimings()
{
    Timings t = TestClient::fastTimings();
    t.peerReadWindow = 3000ms;
    t.peerConnectTimeout = 3000ms;
    return t;
}

PeerNetwork::PeerNetwork()
{
    // Free on every address the clients may take (this process's range; 127.0.0.x where a test
    // names it): a port free on one may still be held on another by a closed connection.
    const auto freeForClients = [](quint16 port) {
        for (int host = 1; host <= 9; ++host) {
            QTcpServer ours, shared;
            if (!ours.listen(QHostAddress(loopback(host)), port) ||
                !shared.listen(QHostAddress(QStringLiteral("127.0.0.%1").arg(host)), port))
                return false;
        }
        return true;
    };
    QList<quint16> ports;
    while (ports.size() < 4) {
        const quint16 port = freeLoopbackPort();
        if (port != 0 && !ports.contains(port) && freeForClients(port))
            ports.append(port);
    }
    m_port = ports.at(0);
    m_webPort = ports.at(1);
    m_channelPort = ports.at(2);
    m_privateChatPort = ports.at(3);
}

TestClient &PeerNetwork::add(const QString &handle, const QString &address, Timings timings, Config config,
                             DesktopNotifier *notifier)
{
    if (config.listenAddress == QHostAddress(QHostAddress::Any))
        config.listenAddress = QHostAddress(address);
    if (config.ports() == ClientPorts{})
        config.setPorts(ClientPorts{m_port, m_channelPort, m_privateChatPort, m_webPort}.text());
    auto client = std::make_unique<TestClient>(config, timings, notifier);
    ClientSetup::loggedOn(*client->client, handle, address);
    m_members.push_back({handle, address, std::move(client)});
    return *m_members.back().client;
}

void PeerNetwork::befriend(TestClient &client, const QStringList &handles)
{
    ContactTable &table = client.client->contacts();
    table.load(handles);
    for (int i = 0; i < handles.size(); ++i)
        table.applyLookup(i, addressOf(handles.at(i)));
    table.FillOnlineList();
}

void PeerNetwork::trustKeys(TestClient &client, const QStringList &handles)
{
    ContactTable &table = client.client->contacts();
    for (const QString &handle : handles)
        table.setKey(*table.FindContactByHandle(handle), true, keyOf(handle));
}

QByteArray PeerNetwork::keyOf(const QString &handle) const
{
    const TestClient *c = member(handle);
    if (!c)
        return {};
    const WorkingDirectory &dir = c->client->workDir();
    return loadOrMakeUserKey(dir.file(working_files::UserKeyFile), dir.file(working_files::UserCertificateFile))
        ->fingerprint;
}

TestClient *PeerNetwork::member(const QString &handle) const
{
    for (const Member &m : m_members) {
        if (m.handle == handle)
            return m.client.get();
    }
    return nullptr;
}

bool PeerNetwork::startListening(TestClient &client)
{
    client.client->listener().start();
    return waitFor([&client] { return client.client->listener().isListening(); });
}

QString PeerNetwork::addressOf(const QString &handle) const
{
    if (handle == QStringLiteral("LoopBack"))
        return QStringLiteral("127.0.0.1");
    for (const Member &m : m_members) {
        if (m.handle == handle)
            return m.address;
    }
    return QStringLiteral("0");
}

HandledCounter::HandledCounter(TestClient &client) : HandledCounter(client.client->listener()) {}

HandledCounter::HandledCounter(Listener &listener)
{
    connect(&listener, &Listener::handled, this, [this] { ++count; });
    connect(&listener, &Listener::connectionRead, this, [this] { ++read; });
}

bool drained(TestClient &client)
{
    const HandledCounter handled(client);
    const Config &config = client.client->config();
    return sendRaw(config.listenAddress.toString(), config.peerPort,
                   peer::buildRecord(u"nobody"_s, u"nothing"_s, peer::MessageBlock)) &&
           waitFor([&handled] { return handled.count > 0; });
}

namespace {
bool idle(TestClient &client)
{
    const MainWindowTask &task = client.client->mainWindowTask();
    return waitFor([&task] { return !task.isBusy() && task.pendingCount() == 0; });
}

int listItem(TestClient &client, const QString &handle)
{
    return client.client->contacts().contact(*client.client->contacts().FindContactByHandle(handle)).listIndex;
}
} // namespace

void selectContact(TestClient &client, const QString &handle)
{
    if (const int item = listItem(client, handle); item >= 0) {
        client.mainWindow.click(item);
        idle(client);
    } else {
        ClientSetup::selected(*client.client, *client.client->contacts().FindContactByHandle(handle));
    }
}

bool doubleClickContact(TestClient &client, const QString &handle)
{
    client.mainWindow.doubleClick(listItem(client, handle));
    return idle(client);
}

bool chooseFromMenu(TestClient &client, const QString &handle, Command command)
{
    client.mainWindow.rightClick(listItem(client, handle));
    return choose(client, command);
}

bool choose(TestClient &client, Command command)
{
    client.mainWindow.choose(command);
    return idle(client);
}

} // namespace quibo::test
