#pragma once

#include "app/widgets/WidgetConnectUi.h"
#include "channel/widgets/WidgetChatUi.h"
#include "consent/widgets/WidgetConsentUi.h"
#include "directory/widgets/WidgetBroadcastUi.h"
#include "directory/widgets/WidgetRegistrationUi.h"
#include "history/widgets/WidgetHistoryUi.h"
#include "mainwindow/widgets/CMainDlg.h"
#include "mainwindow/widgets/WidgetMainWindow.h"
#include "messaging/widgets/WidgetMessageUi.h"
#include "notices/widgets/WidgetNoticeUi.h"
#include "platform/FreedesktopNotifier.h"
#include "platform/LocalSocketWindowCloser.h"
#include "platform/widgets/DesktopShell.h"
#include "platform/widgets/QtProcessControl.h"
#include "platform/widgets/QtSoundPlayer.h"
#include "platform/widgets/SystemTray.h"
#include "ports/Ports.h"
#include "transfer/widgets/WidgetTransferUi.h"

namespace quibo {

struct Config;
class WorkingDirectory;

// The program's windows and dialogs, made once. The program and the widget tests plug their
// clients into these same ports.
class WidgetPorts {
public:
    // Fills the ports of the user interface: connect, main window, notices, messages,
    // registration, broadcast, consent, file transfer, chat, history and the tray icon.
    void fill(Ports &ports);
    CMainDlg &mainDialog() { return *mainWindow.widget(); }

    WidgetMainWindow mainWindow;
    WidgetNoticeUi notices{mainWindow.widget()};
    WidgetMessageUi messages{mainWindow.widget()};
    WidgetConnectUi connect;
    WidgetRegistrationUi registration{mainWindow.widget()};
    WidgetBroadcastUi broadcast;
    WidgetConsentUi consent{mainWindow.widget()};
    WidgetTransferUi transfer{mainWindow.widget()};
    WidgetChannelUi channel;
    WidgetPrivateChatUi privateChat;
    WidgetHistoryUi history;
    SystemTray tray;
};

// The desktop around the windows: sound, shell, the end of the process, and the local web
// server's window, closed through its local socket.
class DesktopPorts {
public:
    DesktopPorts(const WorkingDirectory &workDir, const Config &config);
    // Fills the ports of the desktop: sound, shell, process, window closer and notifications.
    void fill(Ports &ports);

    QtSoundPlayer sound;
    DesktopShell shell;
    QtProcessControl process;
    LocalSocketWindowCloser windowCloser;
    FreedesktopNotifier notifier;
};

} // namespace quibo
