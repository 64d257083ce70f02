#include "app/SessionLifecycle.h"

#include "directory/DirectorySession.h"
#include "directory/Logon.h"
#include "mainwindow/MainWindowTask.h"
#include "peer/Listener.h"
#include "ports/MainWindowUi.h"
#include "ports/ProcessControl.h"

namespace quibo {

SessionLifecycle::SessionLifecycle(Parts parts, QObject *parent) : QObject(parent), m_parts(parts) {}

void SessionLifecycle::start()
{
    // The main window's commands, the close box included, run one at a time in its task.
    m_parts.mainWindowTask.open();
    m_parts.directory.logon().start();
    m_parts.listener.start();
    m_parts.directory.webServer().start();
}

QCoro::Task<> SessionLifecycle::endFromMainWindow()
{
    if (m_ending)
        co_return; // a second request while the first is under way changes nothing
    m_ending = true;
    co_await logOff();
    m_ending = false;
    if (!m_parts.session.logoffFailed || m_endRequested)
        m_parts.process.exitProcess(0);
}

QCoro::Task<> SessionLifecycle::endOnRequest()
{
    m_endRequested = true;
    if (m_ending)
        co_return; // the logoff under way ends the program now, whatever its outcome
    m_ending = true;
    co_await logOff();
    m_parts.process.exitProcess(0);
}

QCoro::Task<> SessionLifecycle::logOff()
{
    co_await m_parts.directory.logoff().LogOff(DialogOwner::MainWindow);
}

} // namespace quibo
