#include "directory/DirectorySession.h"

#include "base/Tasks.h"
#include "directory/DirectoryClient.h"
#include "directory/Logon.h"
#include "directory/Registration.h"

namespace quibo {

DirectorySession::DirectorySession(Inputs in, QObject *parent)
    : QObject(parent), m_in(in), m_directory(new DirectoryClient(in.config, in.timings, in.dir, this)),
      m_web(in.config, in.dir, in.shell, in.windowCloser),
      m_announcer(in.session, in.contacts, in.recordSender, in.notices),
      m_contactPass(in.session, in.contactBook, *m_directory, m_announcer, in.notices, in.mainWindow),
      m_logoff(in.session, in.dir, *m_directory, m_web, m_announcer, in.notices, in.mainWindow, in.process,
               in.reach),
      m_logon(new Logon(Logon::Parts{in.session, in.config, in.timings, in.dir, *m_directory, in.notices,
                                     in.mainWindow, in.broadcastUi, in.process, m_contactPass, m_logoff,
                                     [this] { return registerUser(); }, in.reach},
                        this))
{
}

DirectorySession::~DirectorySession() = default;

QCoro::Task<bool> DirectorySession::registerUser()
{
    if (!m_in.registrationUi)
        co_return false;
    const FrameOwned<Registration> registration(
        new Registration(m_in.dir, m_in.config, *m_directory, *m_in.registrationUi, m_in.notices, this));
    const RegistrationOutcome outcome = co_await registration->run();
    co_return outcome == RegistrationOutcome::Registered;
}

} // namespace quibo
