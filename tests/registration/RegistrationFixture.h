#pragma once

#include "DirectoryServer.h"
#include "UserClient.h"

#include "directory/Registration.h"

#include <optional>

namespace quibo::test {

// One registration, run the way logon runs it, driven through the scripted dialog.
struct RegistrationRun {
    explicit RegistrationRun(UserClient &client);
    ~RegistrationRun(); // closes a dialog still open, so the task ends with the test

    [[nodiscard]] FormDialogRecord &dialog() const { return *client.registration.last(); }
    [[nodiscard]] RegistrationFields &fields() const { return *dialog().registration; }
    void fill(const QString &handle, const QString &password, const QString &email);
    // Presses "&Register" and waits until the behaviour has answered: buttons back on, or done.
    bool pressRegister();

    UserClient &client;
    Registration registration;
    std::optional<RegistrationOutcome> outcome;
};

// "&Change Your Info" as the main window runs it, driven through the scripted dialog.
struct ChangeInfoRun {
    explicit ChangeInfoRun(UserClient &client);
    ~ChangeInfoRun();

    [[nodiscard]] FormDialogRecord &dialog() const { return *client.registration.last(); }
    // Presses a button and waits until the command has ended or the buttons are back on.
    bool press(int button);

    UserClient &client;
    bool done = false;
};

} // namespace quibo::test
