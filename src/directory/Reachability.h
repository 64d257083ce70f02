#pragma once

#include <QCoro/QCoroTask>
#include <QString>

#include <functional>

namespace quibo {

// How contacts reach this client from outside its home. Logon asks once a secure directory has
// said where it saw the client come from; logoff gives back what was taken, after the directory
// has been told "0". The app puts the home router behind it.
class Reachability {
public:
    struct Reach {
        QString address;  // the IPv4 address to publish
        QString address6; // a global IPv6 address to publish beside it, or empty
        QString ports;    // "peer,channel,private,web" where they are not the fixed ones
        QString status;   // the main window's status once logged on; empty: "Ready"

        friend bool operator==(const Reach &, const Reach &) = default;
    };
    using Changed = std::function<void(Reach)>;

    virtual ~Reachability() = default;
    // `own`: the address this host found for itself; `observed`: where the directory saw it.
    virtual QCoro::Task<Reach> reach(QString own, QString observed) = 0;
    // From now on, `changed` hears what to publish and say after each of the router's later
    // answers (a renewal may find a new outside address, a port taken or freed).
    virtual void watch(Changed changed) = 0;
    // Removes what reach() took, waiting for it a bounded time.
    virtual QCoro::Task<> release() = 0;
};

} // namespace quibo
