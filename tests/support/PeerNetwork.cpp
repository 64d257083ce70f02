#include "PeerNetwork.h"

#include "directory/WorkingFiles.h"
#include "keys/UserKey.h"

#include <QTcpServer>

using namespace std::chrono_literals;

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
    // A port free on 127.0.0.1 may still be held on the clients' addresses (a closed
    // connection's source port), so each is tried where the clients will listen.
    const auto freeForClients = [](quint16 port) {
        for (int host = 2; host <= 9; ++host) {
            QTcpServer probe;
            if (!probe.listen(QHostAddress(QStringLiteral("127.0.0.%1").arg(host)), port))
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
    config.listenAddress = QHostAddress(address);
    config.peerPort = m_port;
    config.webPort = m_webPort;
    config.channelPort = m_channelPort;
    config.privateChatPort = m_privateChatPort;
    auto client = std::make_unique<TestClient>(config, timings, notifier);
    LogonState &logon = client->client->logon();
    logon.ownHandle = handle;
    logon.ownAddress = address;
    logon.notLoggedOn = false;
    logon.contactsResolved = true;
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

HandledCounter::HandledCounter(TestClient &client)
{
    connect(&client.client->listener(), &Listener::handled, this, [this] { ++count; });
}

void selectContact(TestClient &client, const QString &handle)
{
    const std::optional<int> index = client.client->contacts().FindContactByHandle(handle);
    Q_ASSERT(index);
    client.client->selection().selectedContact = *index;
    client.client->sendMessageFields().m_to = handle;
}

} // namespace quibo::test
