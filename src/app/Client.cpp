#include "app/Client.h"

#include "base/Tasks.h"
#include "channel/PrivateChatWindow.h"
#include "directory/Logoff.h"
#include "directory/Logon.h"
#include "directory/WorkingFiles.h"
#include "keys/UserKey.h"
#include "mainwindow/Commands.h"
#include "ports/ProcessControl.h"
#include "ports/TrayView.h"

#include <utility>

namespace quibo {

namespace {
Ports checked(Ports ports)
{
    Q_ASSERT(ports.connect && ports.mainWindow && ports.notices && ports.sound && ports.shell &&
             ports.process && ports.messages && ports.registration && ports.broadcast && ports.windowCloser &&
             ports.consent && ports.transfer && ports.channel && ports.privateChat && ports.history &&
             ports.notifier && ports.tray);
    return ports;
}
} // namespace

Client::Client(Config config, Timings timings, WorkingDirectory workDir, Ports ports, QObject *parent)
    : QObject(parent), m_config(std::move(config)), m_timings(timings), m_workDir(std::move(workDir)),
      m_ports(checked(ports)), m_notices(*this, *m_ports.notices, *m_ports.sound, m_timings),
      m_onlineList(*m_ports.mainWindow), m_contacts(m_onlineList), m_contactsFile(m_workDir),
      m_contactBook(m_contacts, m_contactsFile, m_notices),
      m_peerTls(m_contacts,
                [this] {
                    return loadOrMakeUserKey(m_workDir.file(working_files::UserKeyFile),
                                             m_workDir.file(working_files::UserCertificateFile));
                }),
      m_contactKeys(m_contacts, m_workDir, m_notices, this),
      m_recordSender(std::make_unique<RecordSender>(m_config, m_logon, m_timings, this)),
      m_peerSender(*m_recordSender, m_logon, m_notices), m_dispatcher(m_logon, m_contacts),
      m_listener(std::make_unique<Listener>(
          m_config.listenAddress, m_config.peerPort, peerPortRule(), m_timings,
          [this](Received record) {
              return m_dispatcher.handle(std::move(record.bytes), std::move(record.peerKey));
          },
          this)),
      m_reach(std::make_unique<RouterReach>(m_config, m_timings, this)),
      m_directorySession(std::make_unique<DirectorySession>(
          DirectorySession::Inputs{m_logon, m_config, m_timings, m_workDir, m_notices, *m_ports.mainWindow,
                                   *m_ports.process, *m_ports.shell, m_contacts, m_contactBook, m_contactKeys,
                                   *m_recordSender, *m_ports.windowCloser, m_ports.broadcast,
                                   m_ports.registration, m_reach.get()},
          this)),
      m_mainWindowTask(
          m_logon, m_selection, *m_ports.mainWindow, m_contacts, m_notices, *m_ports.shell, m_workDir,
          [this] { return m_sessionLifecycle.endFromMainWindow(); }, this),
      m_sessionLifecycle({m_logon, *m_ports.process, *m_listener, *m_directorySession, m_mainWindowTask},
                         this),
      m_startup(
          m_timings, *m_ports.connect, *m_ports.mainWindow, *m_ports.process,
          [this] { m_sessionLifecycle.start(); }, this),
      m_history(
          {m_workDir, m_timings, m_selection, m_contacts, m_notices, *m_ports.mainWindow, *m_ports.history},
          m_mainWindowTask.handlers()),
      m_attention(*m_ports.mainWindow, *m_ports.notifier, *m_ports.tray),
      m_presence(m_contacts, m_dispatcher),
      m_messaging(m_selection, m_contacts, m_peerSender, m_notices, *m_ports.messages, m_sendFields,
                  m_receivedFields, m_history.journal(), m_attention),
      m_messagingFeature({m_messaging, m_selection, m_contacts, m_sendFields, m_notices, *m_ports.sound,
                          m_history.journal()},
                         m_dispatcher, m_mainWindowTask.handlers()),
      m_contactManagement(m_contactBook, m_directorySession->directory(), m_notices, *m_ports.consent,
                          m_mainWindowTask.handlers()),
      m_contactRequests({m_contactBook, m_contactKeys, m_directorySession->directory(), m_peerSender,
                         m_notices, *m_ports.consent, m_attention, *this},
                        m_dispatcher),
      m_onlineLookups(m_contacts, m_contactKeys, m_directorySession->directory(), *this, m_dispatcher),
      m_channels(std::make_unique<Channels>(Channels::Parts{m_config, m_timings, m_logon, m_selection,
                                                            m_contacts, m_peerSender, m_notices,
                                                            *m_ports.channel, m_history.journal()},
                                            m_dispatcher, m_mainWindowTask.handlers(), this)),
      m_privateChat({m_logon, m_config, m_timings, m_selection, m_contacts, m_peerSender, m_notices,
                     *m_ports.privateChat, m_history.journal(), m_attention},
                    m_dispatcher, m_mainWindowTask.handlers(), this),
      m_fileOffers({m_workDir, m_selection, m_contacts, m_notices, m_peerSender, *m_ports.transfer,
                    m_history.journal()},
                   m_dispatcher, m_directorySession->logoff(), m_mainWindowTask.handlers(), this),
      m_fileReception({m_logon, m_config, m_timings, m_workDir, m_peerSender, m_notices, *m_ports.transfer,
                       m_history.journal(), m_attention, m_peerTls},
                      m_dispatcher, this),
      m_userInfoCommands({m_logon, m_selection, m_contacts, m_workDir, m_config,
                          m_directorySession->directory(), m_ports.registration, m_notices, *m_ports.shell},
                         m_mainWindowTask.handlers()),
      m_keyFingerprints({m_selection, m_contacts, m_notices, [this] { return m_peerTls.ownFingerprint(); }},
                        m_mainWindowTask.handlers()),
      m_tasks(this)
{
    connect(m_listener.get(), &Listener::gaveUp, this, [this] {
        startTask(this, "listener gave up", [this] {
            return m_notices.showSystemMessage(DialogOwner::Desktop,
                                               QStringLiteral("Winsock Error - Please Logoff"),
                                               QStringLiteral("Error Code 1001"));
        });
    });
    // The tray names the user while logged on.
    connect(&m_directorySession->logon(), &Logon::finished, this,
            [this] { m_attention.setHandle(m_logon.notLoggedOn ? QString() : m_logon.ownHandle); });
    m_directorySession->logoff().onLoggingOff([this] { m_attention.setHandle({}); });
    connect(m_ports.tray, &TrayView::logOffChosen, this, [this] { m_mainWindowTask.choose(int(Command::LogOff)); });
    connect(m_ports.tray, &TrayView::exitChosen, this, [this] { m_mainWindowTask.choose(int(Command::Exit)); });
    m_recordSender->setTls(m_peerTls);
    m_recordSender->setContacts(m_contacts);
    m_contacts.onReachChanged([this] { m_recordSender->closeKeptConnections(); });
    const auto serve = [this] { return m_peerTls.recordsConfiguration(); };
    // The dispatcher judges records by the handle they name, each one on a kept connection too.
    m_listener->setTls(serve);
    // Lines are told apart by the address they came from, so that address's key is asked.
    const auto bySource = [this](const Received &line) { return m_peerTls.admits(line.from, line.peerKey); };
    m_channels->listener().setTls(serve, bySource);
    m_privateChat.window().listener().setTls(serve, bySource);
    // A contact that dialled over IPv6 is told apart by the address it is known by.
    const auto knownAs = [this](const QHostAddress &source) { return m_contacts.knownAs(source); };
    m_channels->listener().nameSources(knownAs);
    m_privateChat.window().listener().nameSources(knownAs);
    connect(m_recordSender.get(), &RecordSender::keyRefused, this, [this](const QString &address) {
        tellNothingSent(address, QStringLiteral(" Did Not Show Its Key - Nothing Sent"),
                        QStringLiteral("Error Code 1060"));
    });
    connect(m_recordSender.get(), &RecordSender::keyHeld, this, [this](const QString &address) {
        tellNothingSent(address, QStringLiteral(" Has A New Key Not Yet Accepted - Nothing Sent"),
                        QStringLiteral("Error Code 1061"));
    });
}

Client::~Client() = default;

const Listener &Client::listener(Port port) const
{
    switch (port) {
    case Port::Channel:
        return std::as_const(*m_channels).listener();
    case Port::PrivateChat:
        return m_privateChat.window().listener();
    case Port::Peer:
        break;
    }
    return *m_listener;
}

void Client::tellNothingSent(const QString &address, const QString &why, const QString &code)
{
    if (m_keyRefusalsShown.contains(address))
        return;
    QString who = address;
    for (const ContactRecord &contact : m_contacts.records()) {
        if (contact.address == address && (contact.secure || contact.keyHeld))
            who = contact.handle;
    }
    m_keyRefusalsShown.append(address);
    startTask(this, "nothing sent",
              [this, address, line1 = who + why, code] { return showNothingSent(address, line1, code); });
}

QCoro::Task<> Client::showNothingSent(QString address, QString line1, QString line2)
{
    co_await m_notices.showSystemMessage(DialogOwner::Desktop, line1, line2);
    m_keyRefusalsShown.removeOne(address);
}

void Client::start()
{
    narrowPrivateFiles(m_workDir);
    m_startup.run();
}

void Client::connectNow()
{
    m_startup.connectNow();
}

void Client::requestEnd()
{
    if (!m_startup.connecting()) {
        m_ports.process->exitProcess(0);
        return;
    }
    startTask(this, "end on request", [this] { return m_sessionLifecycle.endOnRequest(); });
}

} // namespace quibo
