#include "PeerNetwork.h"

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
    : m_port(freeLoopbackPort()), m_webPort(freeLoopbackPort()), m_privateChatPort(freeLoopbackPort())
{
    while (m_webPort == m_port)
        m_webPort = freeLoopbackPort();
    while (m_privateChatPort == m_port || m_privateChatPort == m_webPort)
        m_privateChatPort = freeLoopbackPort();
}

TestClient &PeerNetwork::add(const QString &handle, const QString &address, Timings timings)
{
    Config config;
    config.listenAddress = QHostAddress(address);
    config.peerPort = m_port;
    config.webPort = m_webPort;
    config.privateChatPort = m_privateChatPort;
    auto client = std::make_unique<TestClient>(config, timings);
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
    connect(&client.client->listener(), &Listener::recordHandled, this, [this] { ++count; });
}

void selectContact(TestClient &client, const QString &handle)
{
    const std::optional<int> index = client.client->contacts().FindContactByHandle(handle);
    Q_ASSERT(index);
    client.client->selection().selectedContact = *index;
    client.client->sendMessageFields().m_to = handle;
}

} // namespace quibo::test
