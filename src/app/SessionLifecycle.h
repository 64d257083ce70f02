#pragma once

#include "base/LogonState.h"

#include <QCoro/QCoroTask>
#include <QObject>

namespace quibo {

class DirectorySession;
class Listener;
class MainWindowTask;
class MainWindowView;
class ProcessControl;

// The session's life: the tasks that Connect starts (`StartSession`), and the ways it ends,
// from the main window or on a request from outside.
class SessionLifecycle : public QObject {
    Q_OBJECT
public:
    SessionLifecycle(LogonState &session, MainWindowView &mainWindow, ProcessControl &process,
                     QObject *parent = nullptr);

    // Starts the main window's task, logon and the listener, then the local web server.
    void start();
    void setListener(Listener &listener) { m_listener = &listener; }
    void setDirectorySession(DirectorySession &directory) { m_directory = &directory; }
    void setMainWindowTask(MainWindowTask &mainWindow) { m_mainWindowTask = &mainWindow; }

    // Log Off, Exit and the close box: log off, then end unless the logoff failed.
    QCoro::Task<> endFromMainWindow();
    // A request from outside: log off as Exit does, then end whatever the logoff's outcome.
    QCoro::Task<> endOnRequest();
    QCoro::Task<> logOff();

private:
    void runMainWindow();

    LogonState &m_session;
    MainWindowView &m_mainWindow;
    ProcessControl &m_process;
    Listener *m_listener = nullptr;
    DirectorySession *m_directory = nullptr;
    MainWindowTask *m_mainWindowTask = nullptr;
    bool m_ending = false;
    bool m_endRequested = false;
};

} // namespace quibo
