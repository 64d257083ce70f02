#pragma once

#include "DirectoryServer.h"
#include "UserClient.h"

#include "consent/ContactManagement.h"

#include <gtest/gtest.h>

namespace quibo::test {

// The real quibo-directory (with `serverOptions`, "--classic" for one of before the secure
// accounts), and clients of it that listen on one peer port, each at its own address.
class DirectoryUsers : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.start(0, serverOptions)) << server.output().toStdString(); }

    // A client at `address` of the server under test.
    std::unique_ptr<UserClient> client(const QString &address = loopback(2))
    {
        return std::make_unique<UserClient>(server.authority(), address, peerPort);
    }
    // `handle` (registered with "pw") logged on at `address` with `contacts`; with `previous`,
    // a fresh client taking over the files of the previous one.
    std::unique_ptr<UserClient> loggedOn(const QString &handle, const QString &address,
                                         const QStringList &contacts,
                                         std::unique_ptr<UserClient> previous = {})
    {
        auto c = client(address);
        if (previous) {
            for (const char *name : {"settings", "userinfo.dat", "contacts.dat"})
                c->write(QString::fromLatin1(name), previous->read(QString::fromLatin1(name)));
            previous.reset(); // its listener leaves the address to the new one
        } else {
            c->setUpUser(handle, "pw\r\n", contacts);
        }
        c->connectNow();
        EXPECT_TRUE(c->waitUntilReady()) << handle.toStdString();
        return c;
    }

    // The open dialog of `kind` once it has opened.
    static std::shared_ptr<HeldDialog> opened(UserClient &client, const QString &kind)
    {
        EXPECT_TRUE(waitFor([&] { return client.consent.open(kind) != nullptr; })) << kind.toStdString();
        return client.consent.open(kind);
    }
    // Presses `button` of the open dialog of `kind` and waits until the dialog has closed.
    static void pressToClose(UserClient &client, const QString &kind, int button)
    {
        if (const auto dialog = client.consent.open(kind))
            dialog->press(button);
        EXPECT_TRUE(waitFor([&] { return client.consent.open(kind) == nullptr; })) << kind.toStdString();
    }
    // Manage Contacts, "&Add Contact", `name`, "&OK", then "&Exit" once the add is done.
    static void addContact(UserClient &client, const QString &name)
    {
        const QString manage = QStringLiteral("manage-contacts"), add = QStringLiteral("add-contact");
        client.mainWindow.choose(Command::ManageContacts);
        opened(client, manage)->press(ConsentUi::AddButton);
        opened(client, add);
        client.consent.openContacts(add)->add->m_contactName = name;
        pressToClose(client, add, ConsentUi::OkButton);
        EXPECT_TRUE(client.client->contactManagement().addFields().m_contactName.isEmpty());
        pressToClose(client, manage, ConsentUi::ExitButton);
    }

    QStringList serverOptions;
    DirectoryServer server;
    quint16 peerPort = freeLoopbackPort();
};

} // namespace quibo::test
