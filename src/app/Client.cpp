#include "app/Client.h"

namespace quibo {

namespace {
Ports checked(Ports ports)
{
    Q_ASSERT(ports.connect && ports.mainWindow && ports.notices && ports.sound && ports.shell && ports.process
             && ports.messages && ports.registration && ports.broadcast);
    return ports;
}
} // namespace

Client::Client(Config config, Timings timings, WorkingDirectory workDir, Ports ports, QObject *parent)
    : QObject(parent), m_config(std::move(config)), m_timings(timings), m_workDir(std::move(workDir)),
      m_ports(checked(ports)), m_notices(*this, *m_ports.notices, *m_ports.sound, m_timings, m_counters),
      m_onlineList(*m_ports.mainWindow), m_contacts(m_onlineList), m_contactsFile(m_workDir),
      m_contactBook(m_contacts, m_contactsFile, m_notices), m_recordSender(new RecordSender(m_config, m_timings, this)),
      m_peerSender(*m_recordSender, m_session, m_contacts, m_sendFields, m_notices),
      m_messaging(m_session, m_contacts, m_peerSender, m_notices, *m_ports.messages, m_sendFields, m_receivedFields),
      m_contactRequests(m_notices),
      m_dispatcher(m_session, m_contacts, m_messaging, m_notices, *m_ports.sound, m_peerSender,
                   PeerHandlers{m_contactRequests, m_channelJoin, m_privateChat, m_fileReception}),
      m_listener(new Listener(m_config, m_timings, m_notices, m_dispatcher, this)),
      m_directorySession(new DirectorySession(
          {m_session, m_config, m_timings, m_workDir, m_notices, *m_ports.mainWindow, *m_ports.process,
           *m_ports.shell, m_contacts, m_contactBook, *m_recordSender, m_ports.windowCloser, m_ports.broadcast,
           m_ports.registration},
          this)),
      m_mainWindowTask(m_session, *m_ports.mainWindow, m_contacts, m_messaging, m_notices, *m_ports.shell, m_workDir,
                       [this] { return m_tasks.endFromMainWindow(); }),
      m_contactPages(m_workDir, *m_ports.shell),
      m_tasks(m_session, *m_ports.mainWindow, *m_ports.process),
      m_startup(m_session, m_timings, *m_ports.connect, *m_ports.mainWindow, *m_ports.process,
                [this] { m_tasks.start(); })
{
    m_tasks.setListener(*m_listener);
    m_tasks.setDirectorySession(*m_directorySession);
    m_tasks.setMainWindow(m_mainWindowTask);
    wireUserInfoCommands();
}

Client::~Client() = default;

void Client::wireUserInfoCommands()
{
    CommandHandlers &handlers = m_mainWindowTask.handlers();
    if (m_ports.registration) {
        m_changeInfo =
            new ChangeInfo(m_session, m_workDir, m_config, directory(), *m_ports.registration, m_notices, this);
        handlers.changeYourInfo = [this] { return m_changeInfo->run(); };
    }
    // The contact last chosen in the list; its address is checked before it goes into a page.
    handlers.contactWebPage = [this] {
        return m_contactPages.openCommand(m_contacts.addressOf(m_session.selectedContact),
                                          pages::ContactPage::WebPage);
    };
    handlers.personalInfo = [this] {
        return m_contactPages.openCommand(m_contacts.addressOf(m_session.selectedContact),
                                          pages::ContactPage::UserInfo);
    };
}

void Client::start()
{
    m_startup.run();
}

} // namespace quibo
