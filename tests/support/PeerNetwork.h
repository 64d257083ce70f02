#pragma once

#include "TestClient.h"
#include "TestFiles.h"

#include "peer/PeerSender.h"
#include "peer/PeerTls.h"

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

    // A client named `handle` at `address` (loopback(2), ...), on `config` with the network's
    // ports (unless it names a listen address or ports).
    // It listens once started. `notifier` replaces its fake desktop notifications.
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

// Counts what a listener (a client's peer port by default, or a chat port) has read whole
// and what it has fully handled.
class HandledCounter : public QObject {
    Q_OBJECT
public:
    explicit HandledCounter(TestClient &client);
    explicit HandledCounter(const Listener &listener);
    int count = 0;
    int read = 0;
};

// Records and chat lines sent as `client` would send them, on connections of the test's own:
// from the address it published, over TLS with its key to a contact it holds as secure. What a
// peer program or a forger at that address puts on the wire.
class SentAs {
public:
    explicit SentAs(TestClient &client);
    RecordSender *operator->() { return &m_sender; }
    RecordSender &sender() { return m_sender; }

private:
    LogonState m_logon;
    PeerTls m_tls;
    RecordSender m_sender;
};

// Sends a record nobody acts on (from a stranger) to `client`'s peer port and waits until it has
// been handled: what was sent there before it has been handled too. So a test shows that
// nothing came without waiting on the clock.
bool drained(TestClient &client);

// The user's hands on `client`'s main window. Each waits until the window's task has taken
// the input and is idle again; false while it is still busy (on a dialog held open).
// Selects contact `handle`: a click on its item (an offline contact, listed nowhere, is
// selected as a click there would).
void selectContact(TestClient &client, const QString &handle);
// A double click on the item of `handle`: Send Message to it.
bool doubleClickContact(TestClient &client, const QString &handle);
// The contact menu of `handle` (addressing the send dialog), then `command` from it.
bool chooseFromMenu(TestClient &client, const QString &handle, Command command);
bool choose(TestClient &client, Command command);

} // namespace quibo::test
