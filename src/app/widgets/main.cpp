#include "app/Client.h"
#include "app/widgets/WidgetConnectUi.h"
#include "directory/widgets/WidgetBroadcastUi.h"
#include "directory/widgets/WidgetRegistrationUi.h"
#include "mainwindow/widgets/CMainDlg.h"
#include "mainwindow/widgets/WidgetMainWindow.h"
#include "messaging/widgets/WidgetMessageUi.h"
#include "notices/widgets/WidgetNoticeUi.h"
#include "platform/widgets/DesktopShell.h"
#include "platform/widgets/QtProcessControl.h"
#include "platform/widgets/QtSoundPlayer.h"
#include "resources/ResourceCatalogue.h"
#include "widgetkit/DialogLook.h"
#include "widgetkit/Pictures.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quibo32"));
    QApplication::setApplicationVersion(QStringLiteral("2.1"));
    // The behaviour decides when the program ends, not the last window closing.
    QApplication::setQuitOnLastWindowClosed(false);
    quibo::applyDialogLook(app);
    QApplication::setWindowIcon(quibo::pictures::icon(quibo::res::ProgramIcon));

    const quibo::WorkingDirectory workDir(QDir::current(), quibo::WorkingDirectory::defaultInstallDirs());
    quibo::WidgetMainWindow mainWindow;
    quibo::WidgetNoticeUi notices(mainWindow.widget());
    quibo::WidgetMessageUi messages(mainWindow.widget());
    quibo::QtSoundPlayer sound(workDir);
    quibo::DesktopShell shell;
    quibo::QtProcessControl process;
    quibo::WidgetConnectUi connectUi;
    quibo::WidgetRegistrationUi registration(mainWindow.widget());
    quibo::WidgetBroadcastUi broadcast;

    quibo::Ports ports;
    ports.connect = &connectUi;
    ports.mainWindow = &mainWindow;
    ports.notices = &notices;
    ports.sound = &sound;
    ports.shell = &shell;
    ports.process = &process;
    ports.messages = &messages;
    ports.registration = &registration;
    ports.broadcast = &broadcast;

    quibo::Client client(quibo::Config::fromEnvironment(), quibo::Timings{}, workDir, ports);
    client.start();
    return QApplication::exec();
}
