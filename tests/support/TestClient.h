#pragma once

#include "ClientSetup.h"
#include "FakePlatform.h"
#include "QtPrinters.h"
#include "RunTask.h"
#include "ScriptedChat.h"
#include "ScriptedTransfer.h"
#include "ScriptedUi.h"

#include "app/Client.h"
#include "directory/WorkingFiles.h"
#include "keys/UserKey.h"

#include <QTemporaryDir>

#include <memory>

namespace quibo::test {

// One client with a scripted user, a fake desktop and a working directory of its own.
struct TestClient {
    explicit TestClient(Config clientConfig = {}, Timings clientTimings = fastTimings(),
                        DesktopNotifier *desktopNotifier = nullptr)
        : notifierPort(desktopNotifier ? desktopNotifier : &notifier), config(std::move(clientConfig)),
          timings(clientTimings), client(std::make_unique<Client>(config, timings, workDir(), ports()))
    {
    }

    // The scripted user and the fake desktop, as the client's ports.
    Ports ports()
    {
        Ports p;
        p.connect = &ui;
        p.mainWindow = &mainWindow;
        p.notices = &ui;
        p.sound = &sound;
        p.shell = &shell;
        p.process = &process;
        p.messages = &messages;
        p.registration = &registration;
        p.broadcast = &broadcast;
        p.windowCloser = &windowCloser;
        p.consent = &consent;
        p.transfer = &transfer;
        p.channel = &channel;
        p.privateChat = &privateChat;
        p.history = &history;
        p.notifier = notifierPort;
        p.tray = &tray;
        return p;
    }
    static Timings fastTimings() { return Timings{}.scaledDown(20); }
    [[nodiscard]] WorkingDirectory workDir() const { return WorkingDirectory(QDir(dir.path())); }
    // The user's key in the working directory, made on first use as the client makes it.
    [[nodiscard]] std::optional<UserKey> userKey() const
    {
        const WorkingDirectory d = workDir();
        return loadOrMakeUserKey(d.file(working_files::UserKeyFile),
                                 d.file(working_files::UserCertificateFile));
    }

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
    ScriptedHistory history;
    FakeNotifier notifier;
    FakeTray tray;
    DesktopNotifier *notifierPort;
    // What the client was made with.
    Config config;
    Timings timings;
    std::unique_ptr<Client> client;
};

} // namespace quibo::test
