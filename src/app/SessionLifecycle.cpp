#include "app/SessionLifecycle.h"

#include "directory/DirectorySession.h"
#include "directory/Logon.h"
#include "mainwindow/MainWindowTask.h"
#include "peer/Listener.h"
#include "ports/MainWindowUi.h"
#include "ports/ProcessControl.h"

namespace quibo {

SessionLifecycle::SessionLifecycle(LogonState &session, MainWindowView &mainWindow, ProcessControl &process,
                                   QObject *parent)
    : QObject(parent), m_session(session), m_mainWindow(mainWindow), m_process(process)
{
}

void SessionLifecycle::start()
{
    runMainWindow();
    if (m_directory)
        m_directory->logon().start();
    if (m_listener)
        m_listener->start();
    if (m_directory)
        m_directory->webServer().start();
}

void SessionLifecycle::runMainWindow()
{
    // Its commands, the close box included, run one at a time in the main window's task.
    if (m_mainWindowTask)
        m_mainWindowTask->open();
}

QCoro::Task<> SessionLifecycle::endFromMainWindow()
{
    if (m_ending)
        co_return; // a second request while the first is under way changes nothing
    m_ending = true;
    co_await logOff();
    m_ending = false;
    if (!m_session.logoffFailed || m_endRequested)
        m_process.exitProcess(0);
}

QCoro::Task<> SessionLifecycle::endOnRequest()
{
    m_endRequested = true;
    if (m_ending)
        co_return; // the logoff under way ends the program now, whatever its outcome
    m_ending = true;
    co_await logOff();
    m_process.exitProcess(0);
}

QCoro::Task<> SessionLifecycle::logOff()
{
    if (m_directory) {
        co_await m_directory->logoff().LogOff(DialogOwner::MainWindow);
        co_return;
    }
    m_session.logoffFailed = false;
    if (m_session.notLoggedOn) {
        m_process.exitProcess(0);
        co_return;
    }
}

} // namespace quibo
