#pragma once

#include "directory/Announcer.h"
#include "directory/ContactPass.h"
#include "directory/LocalWebServer.h"
#include "directory/Logoff.h"

#include <QCoro/QCoroTask>
#include <QObject>

namespace quibo {

struct Config;
struct LogonState;
struct Timings;
class BroadcastUi;
class ContactBook;
class ContactKeys;
class ContactTable;
class DirectoryClient;
class Logon;
class MainWindowView;
class Notices;
class ProcessControl;
class Reachability;
class RecordSender;
class RegistrationUi;
class Shell;
class WindowCloser;
class WorkingDirectory;

// The client's side of the directory service and the local web server, put together: the
// directory client, logon, logoff and the web server's start and close.
class DirectorySession : public QObject {
    Q_OBJECT
public:
    struct Inputs {
        LogonState &session;
        const Config &config;
        const Timings &timings;
        const WorkingDirectory &dir;
        Notices &notices;
        MainWindowView &mainWindow;
        ProcessControl &process;
        Shell &shell;
        ContactTable &contacts;
        ContactBook &contactBook;
        ContactKeys &contactKeys;
        RecordSender &recordSender;
        WindowCloser &windowCloser;
        BroadcastUi *broadcastUi;       // none: the broadcast is not shown
        RegistrationUi *registrationUi; // none: a first run cannot register and ends
        Reachability *reach = nullptr;  // none: the address is published as found
    };

    explicit DirectorySession(Inputs in, QObject *parent = nullptr);
    ~DirectorySession() override;

    DirectoryClient &directory() { return *m_directory; }
    Logon &logon() { return *m_logon; }
    const Logon &logon() const { return *m_logon; }
    Logoff &logoff() { return m_logoff; }
    LocalWebServer &webServer() { return m_web; }

private:
    QCoro::Task<bool> registerUser();

    Inputs m_in;
    DirectoryClient *m_directory;
    LocalWebServer m_web;
    Announcer m_announcer;
    ContactPass m_contactPass;
    Logoff m_logoff;
    Logon *m_logon;
};

} // namespace quibo
