#include "RegistrationFixture.h"

namespace quibo::test {

RegistrationRun::RegistrationRun(UserClient &c)
    : client(c), registration(c.client->workDir(), c.client->config(), c.client->directory(), c.registration,
                              c.client->notices())
{
    registration.run().then([this](RegistrationOutcome result) { outcome = result; });
}

RegistrationRun::~RegistrationRun()
{
    if (!outcome && client.registration.last()) {
        dialog().closeBox();
        waitFor([this] { return outcome.has_value(); });
    }
}

void RegistrationRun::fill(const QString &handle, const QString &password, const QString &email)
{
    fields().handle = handle;
    fields().info.password = password;
    fields().info.email = email;
}

bool RegistrationRun::pressRegister()
{
    const int before = dialog().enableCount;
    dialog().press(RegistrationUi::RegisterButton);
    return waitFor([&] { return outcome.has_value() || dialog().enableCount > before; });
}

ChangeInfoRun::ChangeInfoRun(UserClient &c) : client(c)
{
    c.client->changeInfo()->run().then([this] { done = true; });
}

ChangeInfoRun::~ChangeInfoRun()
{
    if (!done && client.registration.last()) {
        dialog().closeBox();
        waitFor([this] { return done; });
    }
}

bool ChangeInfoRun::press(int button)
{
    const int before = dialog().enableCount;
    dialog().press(button);
    return waitFor([&] { return done || dialog().enableCount > before; });
}

} // namespace quibo::test
