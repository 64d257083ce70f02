#include "app/Client.h"
#include "app/widgets/WidgetPorts.h"
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
    const quibo::Config config = quibo::Config::fromEnvironment();
    quibo::WidgetPorts windows;
    quibo::DesktopPorts desktop(workDir, config);
    quibo::Ports ports;
    windows.fill(ports);
    desktop.fill(ports);

    quibo::Client client(config, quibo::Timings{}, workDir, ports);
    client.start();
    return QApplication::exec();
}
