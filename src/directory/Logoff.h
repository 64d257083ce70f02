#pragma once

#include "ports/DialogOwner.h"

#include <QCoro/QCoroTask>

#include <functional>
#include <vector>

namespace quibo {

struct LogonState;
class Announcer;
class DirectoryClient;
class LocalWebServer;
class MainWindowView;
class Notices;
class ProcessControl;
class Reachability;
class WorkingDirectory;

// LogOff: closes the local web server, lets the features clean up (the files offered during
// the run), tells the online contacts and the directory that the user has gone. Before logon
// has published the address it ends the program at once. A failed directory request leaves
// the user logged on with logoffFailed set, ready to try again.
class Logoff {
public:
    Logoff(LogonState &session, const WorkingDirectory &dir, DirectoryClient &directory, LocalWebServer &web,
           Announcer &announcer, Notices &notices, MainWindowView &mainWindow, ProcessControl &process,
           Reachability *reach = nullptr);

    // `owner`: the window whose task logs off (the main window, or logon on a failure).
    QCoro::Task<> LogOff(DialogOwner owner);
    // A feature's clean-up, run at every logoff once the local web server was told to close.
    void onLoggingOff(std::function<void()> cleanUp);

private:
    void showStatus(const QString &text);

    LogonState &m_session;
    const WorkingDirectory &m_dir;
    DirectoryClient &m_directory;
    LocalWebServer &m_web;
    Announcer &m_announcer;
    Notices &m_notices;
    MainWindowView &m_mainWindow;
    ProcessControl &m_process;
    Reachability *m_reach;
    std::vector<std::function<void()>> m_cleanUps;
};

} // namespace quibo
