#pragma once

#include <QString>

namespace quibo {

// Who the user is and how far logon has got. Logon and logoff write it; the rest of the
// program only reads it.
struct LogonState {
    QString ownHandle;
    QString ownAddress;
    bool notLoggedOn = true;
    bool contactsResolved = false;
    bool logoffFailed = false;
};

} // namespace quibo
