#pragma once

#include "base/LogonState.h"

#include <QCoro/QCoroTask>
#include <QObject>

namespace quibo {

class DirectorySession;
class Listener;
class MainWindowTask;
class ProcessControl;

// The session's life: the tasks that Connect starts (`StartSession`), and the ways it ends,
// from the main window or on a request from outside.
class SessionLifecycle : public QObject {
    Q_OBJECT
public:
    struct Parts {
        LogonState &session;
        ProcessControl &process;
        Listener &listener;
        DirectorySession &directory;
        MainWindowTask &mainWindowTask;
    };
    explicit SessionLifecycle(Parts parts, QObject *parent = nullptr);

    // Starts the main window's task, logon and the listener, then the local web server.
    void start();

    // Log Off, Exit and the close box: log off, then end unless the logoff failed.
    QCoro::Task<> endFromMainWindow();
    // A request from outside: log off as Exit does, then end whatever the logoff's outcome.
    QCoro::Task<> endOnRequest();
    QCoro::Task<> logOff();

private:
    Parts m_parts;
    bool m_ending = false;
    bool m_endRequested = false;
};

} // namespace quibo
