#pragma once

#include <QString>

namespace quibo {

// Who the user is and how far logon has got. Logon and logoff write it; the rest of the
// program only reads it.
struct LogonState {
    QString ownHandle;
    QString ownAddress;
    // What contacts were given to reach this client at (behind a home router, its outside
    // address); empty: ownAddress.
    QString publishedAddress;
    // The IPv6 address published beside it (secure accounts); connections over IPv6 leave from it.
    QString publishedAddress6;
    bool notLoggedOn = true;
    bool contactsResolved = false;
    bool loggingOff = false; // from Logoff's start until it fails or the program ends
    bool logoffFailed = false;
};

} // namespace quibo
