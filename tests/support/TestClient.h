#pragma once

#include "FakePlatform.h"
#include "QtPrinters.h"
#include "ScriptedChat.h"
#include "ScriptedConsent.h"
#include "ScriptedDirectory.h"
#include "ScriptedMessages.h"
#include "ScriptedRegistration.h"
#include "ScriptedTransfer.h"
#include "ScriptedUi.h"

#include "app/Client.h"

#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace quibo::test {

// One client with a scripted user, a fake desktop and a working directory of its own.
struct TestClient {
    explicit TestClient(Config config = {}, Timings timings = fastTimings());

    static Timings fastTimings() { return Timings{}.scaledDown(20); }
    Ports ports();

    QTemporaryDir dir;
    ScriptedUi ui;
    ScriptedMainWindow mainWindow;
    FakeSoundPlayer sound;
    FakeShell shell;
    FakeProcess process;
    ScriptedMessages messages;
    ScriptedRegistration registration;
    ScriptedBroadcast broadcast{ui.log};
    FakeWindowCloser windowCloser;
    ScriptedConsent consent;
    ScriptedTransfer transfer;
    ScriptedChannel channel;
    ScriptedPrivateChat privateChat;
    std::unique_ptr<Client> client;
};

// Runs the event loop until `done` holds or `timeout` passes; returns `done()`.
bool waitFor(const std::function<bool()> &done, std::chrono::milliseconds timeout = std::chrono::seconds(10));

} // namespace quibo::test
