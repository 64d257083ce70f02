#pragma once

#include "app/Client.h"

namespace quibo::test {

// Puts a client where a logon would have left it, without a directory, for tests whose subject
// comes after the logon. The one way a test writes a client's state from outside; everything
// else goes through the ports (the scripted main window, dialogs, records on the wire).
struct ClientSetup {
    // Logged on as `handle`, published at `address`, its contacts resolved.
    static void loggedOn(Client &client, const QString &handle, const QString &address)
    {
        LogonState &logon = client.m_logon;
        logon.ownHandle = handle;
        logon.ownAddress = address;
        logon.notLoggedOn = false;
        logon.contactsResolved = true;
    }
    // `contact` (a table index) selected, as a click on its item would, also when it is not listed.
    static void selected(Client &client, int contact) { client.m_selection.selectedContact = contact; }
    // Not logged on (any more): a logoff then only cleans up.
    static void loggedOff(Client &client) { client.m_logon.notLoggedOn = true; }
};

} // namespace quibo::test
