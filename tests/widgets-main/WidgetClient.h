#pragma once

#include "FakePlatform.h"
#include "PeerNetwork.h"
#include "ScriptedDirectory.h"
#include "ScriptedRegistration.h"
#include "ScriptedUi.h"

#include "app/Client.h"
#include "mainwindow/widgets/CMainDlg.h"
#include "mainwindow/widgets/WidgetMainWindow.h"
#include "messaging/widgets/WidgetMessageUi.h"
#include "notices/widgets/WidgetNoticeUi.h"

#include <QTemporaryDir>

#include <memory>

namespace quibo::test {

// A client with the real main window, message dialogs and popups, listening on 127.0.0.1
// at a free port as after logon, with "LoopBack" listed. Sound, shell and the process end
// are fakes.
struct WidgetClient {
    explicit WidgetClient(const QString &ownHandle = QStringLiteral("alice"));
    ~WidgetClient();

    CMainDlg &window() { return *mainWindow.widget(); }
    bool startListening();

    QTemporaryDir dir;
    WidgetMainWindow mainWindow;
    WidgetNoticeUi notices{mainWindow.widget()};
    WidgetMessageUi messages{mainWindow.widget()};
    ScriptedUi ui; // the start-up dialog, which these tests do not use
    FakeSoundPlayer sound;
    FakeShell shell;
    FakeProcess process;
    ScriptedRegistration registration;
    ScriptedBroadcast broadcast{ui.log};
    FakeWindowCloser windowCloser;
    std::unique_ptr<Client> client;
};

} // namespace quibo::test
