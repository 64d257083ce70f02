#pragma once

#include "app/DesktopAttention.h"
#include "app/HistoryCommands.h"
#include "app/RouterReach.h"
#include "app/SessionLifecycle.h"
#include "app/Startup.h"
#include "base/Config.h"
#include "base/LogonState.h"
#include "base/Tasks.h"
#include "base/Timings.h"
#include "base/WorkingDirectory.h"
#include "channel/Channels.h"
#include "channel/PrivateChatPeer.h"
#include "consent/ContactManagement.h"
#include "consent/ContactRequests.h"
#include "consent/OnlineLookups.h"
#include "consent/KeyFingerprints.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactTable.h"
#include "contacts/ContactsFile.h"
#include "directory/DirectorySession.h"
#include "directory/UserInfoCommands.h"
#include "mainwindow/MainWindowTask.h"
#include "mainwindow/Selection.h"
#include "messaging/Messaging.h"
#include "messaging/MessagingFeature.h"
#include "notices/Notices.h"
#include "peer/ContactKeys.h"
#include "peer/Dispatcher.h"
#include "peer/Listener.h"
#include "peer/PeerSender.h"
#include "peer/PeerTls.h"
#include "peer/Presence.h"
#include "ports/Ports.h"
#include "transfer/FileOffers.h"
#include "transfer/FileReception.h"

#include <QObject>

#include <memory>

namespace quibo {

namespace test {
struct ClientSetup;
}

// One client: its configuration, state and tasks, wired to the ports it was given. The
// program makes one; tests make two or three in one process. This is where the layers meet:
// each feature is a member that registers its record handlers and commands as it is made.
// The members are declared in the order they depend on each other, so each dies before what it
// uses; the task scope comes last and so goes first, cancelling every task while all it uses
// still exists. QObject parts are owned here and have the client as parent only so that
// startTask finds the scope.
class Client : public QObject {
    Q_OBJECT
public:
    Client(Config config, Timings timings, WorkingDirectory workDir, Ports ports, QObject *parent = nullptr);
    ~Client() override;

    // Shows the start-up dialog; the program ends when it closes.
    void start();
    // Connect, as if pressed in the start-up dialog.
    void connectNow();
    // A request from outside to end (a signal): before Connect the program ends at once,
    // after it the user logs off as with Exit, and the program ends even if the logoff failed.
    void requestEnd();

    // What tests observe, read-only. The state a logon leaves is set by test::ClientSetup
    // (tests/support); the rest goes through the ports, as a user and peers would.
    enum class Port { Peer, Channel, PrivateChat };

    const LogonState &logon() const { return m_logon; }
    const ContactTable &contacts() const { return m_contacts; }
    const Listener &listener(Port port = Port::Peer) const;
    const DirectorySession &directorySession() const { return *m_directorySession; }
    const MainWindowTask &mainWindowTask() const { return m_mainWindowTask; }
    const Messaging &messaging() const { return m_messaging; }
    const PrivateChatSession &privateChat() const { return m_privateChat.session(); }
    const FileReception &fileReception() const { return m_fileReception; }
    const HistoryStore &historyStore() const { return m_history.store(); }

private:
    friend struct test::ClientSetup;

    // Once per address while its notice is open: a channel's lines must not stack them up.
    void tellNothingSent(const QString &address, const QString &why, const QString &code);
    QCoro::Task<> showNothingSent(QString address, QString line1, QString line2);

    Config m_config;
    Timings m_timings;
    WorkingDirectory m_workDir;
    Ports m_ports;
    LogonState m_logon;
    Selection m_selection;
    Notices m_notices;
    SendMessageFields m_sendFields;
    ReceivedMessageFields m_receivedFields;
    MainWindowOnlineList m_onlineList;
    ContactTable m_contacts;
    ContactsFile m_contactsFile;
    ContactBook m_contactBook;
    PeerTls m_peerTls;
    ContactKeys m_contactKeys;
    std::unique_ptr<RecordSender> m_recordSender;
    PeerSender m_peerSender;
    Dispatcher m_dispatcher;
    std::unique_ptr<Listener> m_listener;
    std::unique_ptr<RouterReach> m_reach;
    std::unique_ptr<DirectorySession> m_directorySession;
    MainWindowTask m_mainWindowTask;
    SessionLifecycle m_sessionLifecycle;
    Startup m_startup;
    // What the features record and tell the desktop of.
    HistoryCommands m_history;
    DesktopAttention m_attention;

    // The features, plugged into the listener's dispatcher and the main window's commands.
    Presence m_presence;
    Messaging m_messaging;
    MessagingFeature m_messagingFeature;
    ContactManagement m_contactManagement;
    ContactRequests m_contactRequests;
    OnlineLookups m_onlineLookups;
    std::unique_ptr<Channels> m_channels;
    PrivateChatPeer m_privateChat;
    FileOffers m_fileOffers;
    FileReception m_fileReception;
    UserInfoCommands m_userInfoCommands;
    KeyFingerprints m_keyFingerprints;
    QStringList m_keyRefusalsShown; // addresses whose notice is open

    TaskScope m_tasks; // last: see above
};

} // namespace quibo
