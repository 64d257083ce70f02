#include "directory/Logoff.h"

#include "base/LogonState.h"
#include "directory/Announcer.h"
#include "directory/DirectoryClient.h"
#include "directory/LocalWebServer.h"
#include "directory/Reachability.h"
#include "directory/WorkingFiles.h"
#include "notices/Notices.h"
#include "peer/Presence.h"
#include "ports/MainWindowUi.h"
#include "ports/ProcessControl.h"

namespace quibo {

Logoff::Logoff(LogonState &session, const WorkingDirectory &dir, DirectoryClient &directory,
               LocalWebServer &web, Announcer &announcer, Notices &notices, MainWindowView &mainWindow,
               ProcessControl &process, Reachability *reach)
    : m_session(session), m_dir(dir), m_directory(directory), m_web(web), m_announcer(announcer),
      m_notices(notices), m_mainWindow(mainWindow), m_process(process), m_reach(reach)
{
}

QCoro::Task<> Logoff::LogOff(DialogOwner owner)
{
    m_session.logoffFailed = false;
    m_session.loggingOff = true;
    showStatus(QStringLiteral("Logging Off ..."));
    m_web.close();
    for (const std::function<void()> &cleanUp : m_cleanUps)
        cleanUp();
    if (m_session.notLoggedOn) {
        m_process.exitProcess(0);
        co_return;
    }

    m_mainWindow.setChannelButtonEnabled(false);
    m_mainWindow.setLogOffButtonEnabled(false);
    co_await m_announcer.announce(presence::Offline, owner);
    m_announcer.hangUp();

    const QString handle =
        reply_text::firstLine(readWorkingFile(m_dir, working_files::Settings).value_or(QByteArray()),
                              working_files::HandleReadAtLogoff);
    const DirectoryReply reply = co_await m_directory.publish(handle, QStringLiteral("0"));
    // A secure directory that refuses this key has nothing of ours to clear: another machine
    // has taken the account over. Only its own failure is one.
    if (reply.ok && (!m_directory.isSecure() || reply.status < 500)) {
        // Only now: a contact that looked the address up meanwhile finds a port still open.
        if (m_reach)
            co_await m_reach->release();
        co_return;
    }

    co_await m_notices.showSystemMessage(owner, QStringLiteral("Not Able To Logoff, Make Sure"),
                                         QStringLiteral("You Are Logged On To Internet"));
    m_session.logoffFailed = true;
    m_session.loggingOff = false;
    showStatus(QStringLiteral("Ready"));
    m_mainWindow.setLogOffButtonEnabled(true);
    m_mainWindow.setChannelButtonEnabled(true);
}

void Logoff::onLoggingOff(std::function<void()> cleanUp)
{
    m_cleanUps.push_back(std::move(cleanUp));
}

void Logoff::showStatus(const QString &text)
{
    m_mainWindow.setStatusText(text);
}

} // namespace quibo
