#pragma once

#include "directory/DirectoryAccess.h"
#include "ports/BroadcastUi.h"

#include <QCoro/QCoroTask>
#include <QObject>

#include <functional>

namespace quibo {

struct Config;
struct LogonState;
struct Timings;
class ContactPass;
class DirectoryClient;
class Logoff;
class MainWindowView;
class Notices;
class ProcessControl;
class Reachability;
class WorkingDirectory;

// LogonThread, once per run after Connect: the own address, the first run's registration, the
// handle, how the directory is reached, the broadcast message, the password check and publishing
// the address (one authenticated request against a secure directory), then the contact pass. Its
// fatal failures log off, which ends the program.
class Logon : public QObject {
    Q_OBJECT
public:
    // Shows the registration dialog; true once the user has registered, false on Cancel.
    using Register = std::function<QCoro::Task<bool>()>;

    struct Parts {
        LogonState &session;
        const Config &config;
        const Timings &timings;
        const WorkingDirectory &dir;
        DirectoryClient &directory;
        Notices &notices;
        MainWindowView &mainWindow;
        BroadcastUi *broadcastUi; // none: the broadcast is not shown
        ProcessControl &process;
        ContactPass &contactPass;
        Logoff &logoff;
        Register registerUser;
        Reachability *reach = nullptr; // none: the address is published as found
    };

    explicit Logon(Parts parts, QObject *parent = nullptr);

    // Starts LogonThread; it runs on by itself.
    void start();
    QCoro::Task<> LogonThread();

    // The broadcast dialog's fields, kept for the whole run.
    [[nodiscard]] const BroadcastMessageFields &broadcastFields() const { return m_broadcast; }

Q_SIGNALS:
    // LogonThread has ended, whichever way.
    void finished();

private:
    QCoro::Task<> FindOwnAddress();
    // Checks the password and publishes the address: false when logon has failed and logged off.
    QCoro::Task<bool> publishClassic(QString storedPassword);
    // Publishes with the user's key, which the stored password binds first where it must.
    QCoro::Task<bool> publishSecurely(QString storedPassword);
    // Where contacts reach this client, behind a home router too; sets publishedAddress.
    QCoro::Task<> findReach();
    // A renewal at the router changed where contacts reach this client: tells the directory,
    // then the status.
    QCoro::Task<> republish(QString address, QString address6, QString ports, QString status);
    static MessageLines notConnected();
    static MessageLines invalidPassword();
    // False when the user cancelled the registration.
    QCoro::Task<bool> firstRun();
    QCoro::Task<> showBroadcast();
    QCoro::Task<> fail(QString line1, QString line2);

    Parts m_parts;
    BroadcastMessageFields m_broadcast;
    QString m_address6; // published beside the address
    QString m_ports;    // published where they are not this client's own
    QString m_reachStatus;
};

} // namespace quibo
