#pragma once

#include "app/Session.h"
#include "app/Startup.h"
#include "base/Config.h"
#include "base/SessionState.h"
#include "base/Timings.h"
#include "base/WorkingDirectory.h"
#include "channel/ChannelJoin.h"
#include "channel/PrivateChatPeer.h"
#include "contacts/ContactBook.h"
#include "contacts/ContactRequests.h"
#include "contacts/ContactTable.h"
#include "contacts/ContactsFile.h"
#include "directory/ContactPages.h"
#include "directory/DirectorySession.h"
#include "directory/Registration.h"
#include "mainwindow/MainWindow.h"
#include "messaging/Messaging.h"
#include "notices/Notices.h"
#include "peer/Dispatcher.h"
#include "peer/Listener.h"
#include "peer/PeerSender.h"
#include "ports/Ports.h"
#include "transfer/FileReception.h"

#include <QObject>

namespace quibo {

// One client: its configuration, state and tasks, wired to the ports it was given.
// The program makes one; tests make two or three in one process.
class Client : public QObject {
    Q_OBJECT
public:
    Client(Config config, Timings timings, WorkingDirectory workDir, Ports ports, QObject *parent = nullptr);
    ~Client() override;

    // Shows the start-up dialog; the program ends when it closes.
    void start();

    SessionState &session() { return m_session; }
    PopupCounters &popupCounters() { return m_counters; }
    Notices &notices() { return m_notices; }
    Session &tasks() { return m_tasks; }
    const Config &config() const { return m_config; }
    const Timings &timings() const { return m_timings; }
    const WorkingDirectory &workDir() const { return m_workDir; }
    SendMessageFields &sendMessageFields() { return m_sendFields; }
    ReceivedMessageFields &receivedMessageFields() { return m_receivedFields; }
    ContactTable &contacts() { return m_contacts; }
    ContactBook &contactBook() { return m_contactBook; }
    PeerSender &peerSender() { return m_peerSender; }
    Messaging &messaging() { return m_messaging; }
    Listener &listener() { return *m_listener; }
    ContactRequests &contactRequests() { return m_contactRequests; }
    ChannelJoin &channelJoin() { return m_channelJoin; }
    PrivateChatPeer &privateChat() { return m_privateChat; }
    FileReception &fileReception() { return m_fileReception; }
    DirectorySession &directorySession() { return *m_directorySession; }
    DirectoryClient &directory() { return m_directorySession->directory(); }
    MainWindow &mainWindow() { return m_mainWindowTask; }
    // "&Change Your Info"; none without a registration port.
    ChangeInfo *changeInfo() { return m_changeInfo; }
    ContactPages &contactPages() { return m_contactPages; }

private:
    void wireUserInfoCommands();

    Config m_config;
    Timings m_timings;
    WorkingDirectory m_workDir;
    Ports m_ports;
    SessionState m_session;
    PopupCounters m_counters;
    Notices m_notices;
    SendMessageFields m_sendFields;
    ReceivedMessageFields m_receivedFields;
    MainWindowOnlineList m_onlineList;
    ContactTable m_contacts;
    ContactsFile m_contactsFile;
    ContactBook m_contactBook;
    RecordSender *m_recordSender;
    PeerSender m_peerSender;
    Messaging m_messaging;
    ContactRequests m_contactRequests;
    ChannelJoin m_channelJoin;
    PrivateChatPeer m_privateChat;
    FileReception m_fileReception;
    Dispatcher m_dispatcher;
    Listener *m_listener;
    DirectorySession *m_directorySession;
    MainWindow m_mainWindowTask;
    ChangeInfo *m_changeInfo = nullptr;
    ContactPages m_contactPages;
    Session m_tasks;
    Startup m_startup;
};

} // namespace quibo
