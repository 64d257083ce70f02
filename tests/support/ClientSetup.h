#pragma once

#include "app/Client.h"
#include "channel/PrivateChatWindow.h"

namespace quibo::test {

// Puts a client where a logon (or the directory's look-ups) would have left it, without a
// directory, for tests whose subject comes after. The one way a test writes a client's state
// from outside; everything else goes through the ports (the scripted main window, dialogs,
// records on the wire). Contacts are named by handle.
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
    // Not logged on (any more): a logoff then only cleans up.
    static void loggedOff(Client &client) { client.m_logon.notLoggedOn = true; }
    // A listener started: the peer port's as logon starts it, a chat port's as its first use does.
    static void listening(Client &client, Client::Port port = Client::Port::Peer)
    {
        (port == Client::Port::Peer      ? *client.m_listener
         : port == Client::Port::Channel ? client.m_channels->listener()
                                         : client.m_privateChat.window().listener())
            .start();
    }
    // The main window shown, as logon shows it.
    static void mainWindowOpen(Client &client) { client.m_mainWindowTask.open(); }
    // `contact` (a table index) selected, as a click on its item would, also when it is not listed.
    static void selected(Client &client, int contact) { client.m_selection.selectedContact = contact; }

    // contacts.dat held `handles`, each looked up at the address beside it ("0": offline), listed.
    static void contactsFound(Client &client, const QStringList &handles, const QStringList &addresses)
    {
        client.m_contacts.load(handles);
        for (int i = 0; i < handles.size(); ++i)
            client.m_contacts.applyLookup(i, addresses.at(i));
        client.m_contacts.FillOnlineList();
    }
    // A contact the table takes after those loaded, as Add Contact would.
    static void added(Client &client, const QString &handle, const QString &address, bool online)
    {
        client.m_contacts.AddContactRecord(handle, address, online);
    }
    // A later look-up puts `handle` at `address`; a record from there marks it online.
    static void movedTo(Client &client, const QString &handle, const QString &address)
    {
        client.m_contacts.setAddress(indexOf(client, handle), address);
    }
    static void online(Client &client, const QString &handle, const QString &address)
    {
        client.m_contacts.MarkContactOnline(indexOf(client, handle), address);
    }
    // The secure look-up's answer: the contact's IPv6 address and ports; its key (none: classic).
    static void reach(Client &client, const QString &handle, const QString &address6,
                      const ClientPorts &ports)
    {
        client.m_contacts.setReach(indexOf(client, handle), address6, ports);
    }
    static void key(Client &client, const QString &handle, const QByteArray &fingerprint)
    {
        client.m_contacts.setKey(indexOf(client, handle), !fingerprint.isEmpty(), fingerprint);
    }
    // A contact held for a new key the user has not accepted.
    static void keyHeld(Client &client, const QString &handle)
    {
        client.m_contacts.setKeyHeld(indexOf(client, handle), true);
    }
    // A member of the channel this client hosts, as an accepted join leaves it.
    static void inChannel(Client &client, const QString &handle)
    {
        client.m_contacts.setInChannel(indexOf(client, handle));
    }
    // The history's Keep switch, as its window sets it.
    static void historyKept(Client &client, bool keeping) { client.m_history.store().setKeeping(keeping); }

private:
    static int indexOf(const Client &client, const QString &handle)
    {
        return client.m_contacts.FindContactByHandle(handle).value();
    }
};

} // namespace quibo::test
