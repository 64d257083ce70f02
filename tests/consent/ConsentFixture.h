#pragma once

#include "DirectoryServer.h"
#include "UserClient.h"

#include <gtest/gtest.h>

#include <memory>

namespace quibo::test {

// The real directory with "alice", "bob" and "carol" registered ("carol" never logs on), and
// logged-on clients on one peer port.
class ConsentTest : public ::testing::Test {
protected:
    void SetUp() override;

    // `handle` logged on from `address`, its contacts.dat holding `contacts`.
    std::unique_ptr<UserClient> loggedOn(const QString &handle, const QString &address,
                                         const QStringList &contacts);
    // A fresh client for the user of `previous` (whose files it takes over), logged on again.
    std::unique_ptr<UserClient> loggedOnAgain(std::unique_ptr<UserClient> previous, const QString &address);
    // Manage Contacts, "&Add Contact", `name`, "&OK", then "&Exit" once the add is done.
    static void addContact(UserClient &client, const QString &name);
    // The open dialog of `kind` once it has opened.
    static std::shared_ptr<ConsentDialogRecord> opened(UserClient &client, const char *kind);
    // Presses `button` of the open dialog of `kind` and waits until the dialog has closed.
    static void pressToClose(UserClient &client, const char *kind, int button);

    DirectoryServer server;
    quint16 peerPort = freeLoopbackPort();
};

} // namespace quibo::test
