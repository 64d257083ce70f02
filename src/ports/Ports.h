#pragma once

namespace quibo {

class ConnectUi;
class MessageUi;
class MainWindowView;
class NoticeUi;
class SoundPlayer;
class Shell;
class ProcessControl;
class RegistrationUi;
class BroadcastUi;
class WindowCloser;
class ConsentUi;
class TransferUi;
class ChannelUi;
class PrivateChatUi;
class HistoryUi;
class DesktopNotifier;
class TrayView;

// Everything through which the client reaches the user and the desktop; every port is
// needed. The real program plugs in widgets and the desktop (app/widgets/WidgetPorts); tests
// plug in a scripted user.
struct Ports {
    ConnectUi *connect = nullptr;
    MainWindowView *mainWindow = nullptr;
    NoticeUi *notices = nullptr;
    SoundPlayer *sound = nullptr;
    Shell *shell = nullptr;
    ProcessControl *process = nullptr;
    RegistrationUi *registration = nullptr;
    MessageUi *messages = nullptr;
    BroadcastUi *broadcast = nullptr;
    WindowCloser *windowCloser = nullptr;
    ConsentUi *consent = nullptr;
    TransferUi *transfer = nullptr;
    ChannelUi *channel = nullptr;
    PrivateChatUi *privateChat = nullptr;
    HistoryUi *history = nullptr;
    DesktopNotifier *notifier = nullptr;
    TrayView *tray = nullptr;
};

} // namespace quibo
