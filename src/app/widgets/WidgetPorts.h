#pragma once

#include "app/widgets/WidgetConnectUi.h"
#include "consent/widgets/WidgetConsentUi.h"
#include "directory/widgets/WidgetBroadcastUi.h"
#include "directory/widgets/WidgetRegistrationUi.h"
#include "mainwindow/widgets/CMainDlg.h"
#include "mainwindow/widgets/WidgetMainWindow.h"
#include "messaging/widgets/WidgetMessageUi.h"
#include "notices/widgets/WidgetNoticeUi.h"
#include "platform/LocalSocketWindowCloser.h"
#include "platform/widgets/DesktopShell.h"
#include "platform/widgets/QtProcessControl.h"
#include "platform/widgets/QtSoundPlayer.h"
#include "ports/ChatUi.h"
#include "ports/Ports.h"
#include "transfer/widgets/WidgetTransferUi.h"

namespace quibo {

struct Config;
class WorkingDirectory;

// PLACEHOLDER for the lead: replace with the private chat widgets when they land. Until then
// requests are declined and the window closes as it opens.
class PlaceholderPrivateChatUi : public PrivateChatUi {
    class ClosedView : public ChatView {
    public:
        void close() override {}
        [[nodiscard]] bool isOpen() const override { return false; }
        void refresh() override {}
        void setButtonsEnabled(bool) override {}
        void appendRow(QString) override {}
    };

public:
    std::unique_ptr<ChatView> openPrivateChat(PrivateChatLabels, ChatFields &) override
    {
        return std::make_unique<ClosedView>();
    }
    QCoro::Task<bool> askPrivateChat(QString) override;
};

// The program's windows and dialogs, made once. The program and the widget tests plug their
// clients into these same ports.
class WidgetPorts {
public:
    // Fills the ports of the user interface: connect, main window, notices, messages,
    // registration, broadcast, consent and file transfer.
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
    PlaceholderPrivateChatUi privateChat; // PLACEHOLDER, see above
};

// The desktop around the windows: sound, shell, the end of the process, and the local web
// server's window, closed through its local socket.
class DesktopPorts {
public:
    DesktopPorts(const WorkingDirectory &workDir, const Config &config);
    // Fills the ports of the desktop: sound, shell, process and window closer.
    void fill(Ports &ports);

    QtSoundPlayer sound;
    DesktopShell shell;
    QtProcessControl process;
    LocalSocketWindowCloser windowCloser;
};

} // namespace quibo
