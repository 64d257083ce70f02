#pragma once

#include "TestClient.h"
#include "TestFiles.h"

#include <memory>
#include <vector>

namespace quibo::test {

// Timings for clients that talk over loopback: short waits, but a read window and connect
// time-out long enough that a busy machine never cuts a record.
Timings peerTimings();

// Clients in one process, each listening on its own loopback address and the same port, as
// after logon: own handle and address set, contacts resolved and listed.
class PeerNetwork {
public:
    PeerNetwork();

    // A client named `handle` at `address` ("127.0.0.2", ...), on `config` with the network's
    // ports. It listens once started. `notifier` replaces its fake desktop notifications.
    TestClient &add(const QString &handle, const QString &address, Timings timings = peerTimings(),
                    Config config = {}, DesktopNotifier *notifier = nullptr);
    // Gives `client` these contacts, each online at the address of the client of that name
    // (or "0" when there is none), and lists them.
    void befriend(TestClient &client, const QStringList &handles);
    // Marks these contacts of `client` secure, each with the key of the client of that name, as
    // the directory's secure look-up does.
    void trustKeys(TestClient &client, const QStringList &handles);
    // The fingerprint of the key of the client named `handle` (made on first use).
    QByteArray keyOf(const QString &handle) const;
    // Starts the client's listener and waits until it listens.
    static bool startListening(TestClient &client);

    QString addressOf(const QString &handle) const;
    // The client named `handle`; null when there is none.
    TestClient *member(const QString &handle) const;
    [[nodiscard]] quint16 port() const { return m_port; }
    // The port every client's local web server uses, on the client's own address.
    [[nodiscard]] quint16 webPort() const { return m_webPort; }
    // The chat ports every client uses, on its own address.
    [[nodiscard]] quint16 channelPort() const { return m_channelPort; }
    [[nodiscard]] quint16 privateChatPort() const { return m_privateChatPort; }

private:
    struct Member {
        QString handle;
        QString address;
        std::unique_ptr<TestClient> client;
    };
    quint16 m_port;
    quint16 m_webPort;
    quint16 m_channelPort;
    quint16 m_privateChatPort;
    std::vector<Member> m_members;
};

// Counts the records a client's listener has fully handled.
class HandledCounter : public QObject {
    Q_OBJECT
public:
    explicit HandledCounter(TestClient &client);
    int count = 0;
};

// Selects contact `handle` in `client`'s table as the main window's click does.
void selectContact(TestClient &client, const QString &handle);

} // namespace quibo::test
