#include "app/widgets/WidgetPorts.h"

#include "base/Config.h"
#include "base/WorkingDirectory.h"

namespace quibo {

void WidgetPorts::fill(Ports &ports)
{
    ports.connect = &connect;
    ports.mainWindow = &mainWindow;
    ports.notices = &notices;
    ports.messages = &messages;
    ports.registration = &registration;
    ports.broadcast = &broadcast;
    ports.consent = &consent;
    ports.transfer = &transfer;
    ports.channel = &channel;
    ports.privateChat = &privateChat;
    ports.history = &history;
    ports.tray = &tray;
}

DesktopPorts::DesktopPorts(const WorkingDirectory &workDir, const Config &config)
    : sound(workDir), windowCloser(config.listenAddress.toString(), config.webPort)
{
}

void DesktopPorts::fill(Ports &ports)
{
    ports.sound = &sound;
    ports.shell = &shell;
    ports.process = &process;
    ports.windowCloser = &windowCloser;
    ports.notifier = &notifier;
}

} // namespace quibo
