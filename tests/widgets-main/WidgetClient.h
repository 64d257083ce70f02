#pragma once

#include "FakePlatform.h"
#include "PeerNetwork.h"
#include "ScriptedDirectory.h"

#include "app/Client.h"
#include "app/widgets/WidgetPorts.h"
#include "mainwindow/widgets/CMainDlg.h"

#include <QTemporaryDir>

#include <memory>

namespace quibo::test {

// A client with the program's windows and dialogs, listening on 127.0.0.1 at a free port as
// after logon, with "LoopBack" listed. Sound, shell, the process end and the web server's
// window are fakes.
struct WidgetClient {
    explicit WidgetClient(const QString &ownHandle = QStringLiteral("alice"));
    ~WidgetClient();

    CMainDlg &window() { return widgets.mainDialog(); }
    bool startListening();

    QTemporaryDir dir;
    WidgetPorts widgets;
    WidgetMainWindow &mainWindow = widgets.mainWindow;
    WidgetNoticeUi &notices = widgets.notices;
    WidgetMessageUi &messages = widgets.messages;
    FakeSoundPlayer sound;
    FakeShell shell;
    FakeProcess process;
    FakeWindowCloser windowCloser;
    std::unique_ptr<Client> client;
};

} // namespace quibo::test
