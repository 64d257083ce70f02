#include "app/Client.h"
#include "app/ProgramOptions.h"
#include "app/WorkingFolder.h"
#include "app/widgets/WidgetPorts.h"
#include "platform/EndSignals.h"
#include "resources/ResourceCatalogue.h"
#include "widgetkit/DialogLook.h"
#include "widgetkit/Pictures.h"

#include <QApplication>

#include <cstdio>

namespace {

void print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

int main(int argc, char **argv)
{
    // --help and --version answer without a display.
    QStringList rawArguments;
    for (int i = 1; i < argc; ++i)
        rawArguments.append(QString::fromLocal8Bit(argv[i]));
    const quibo::ProgramOptions early = quibo::parseProgramOptions(rawArguments);
    if (early.action == quibo::ProgramOptions::Action::Help) {
        print(stdout, quibo::programHelpText());
        return 0;
    }
    if (early.action == quibo::ProgramOptions::Action::Version) {
        print(stdout, quibo::programVersionText(QStringLiteral("quibo32")));
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quibo32"));
    QApplication::setApplicationVersion(QStringLiteral(QUIBO_VERSION));
    // The toolkit has taken its own options out by now.
    const quibo::ProgramOptions options = quibo::parseProgramOptions(QApplication::arguments().mid(1));
    if (options.action == quibo::ProgramOptions::Action::Error) {
        print(stderr, QStringLiteral("quibo32: %1\nTry \"quibo32 --help\".\n").arg(options.error));
        return 2;
    }
    const QString folder =
        quibo::chooseWorkingFolder(options.folder, QDir::currentPath(), quibo::defaultDataFolder());
    if (!quibo::seedWorkingFolder(folder, quibo::WorkingDirectory::installedShareDir())) {
        print(stderr, QStringLiteral("quibo32: cannot make the working folder %1\n").arg(folder));
        return 1;
    }

    // The behaviour decides when the program ends, not the last window closing.
    QApplication::setQuitOnLastWindowClosed(false);
    quibo::applyDialogLook(app);
    QApplication::setWindowIcon(quibo::pictures::icon(quibo::res::ProgramIcon));

    const quibo::WorkingDirectory workDir(QDir(folder), quibo::WorkingDirectory::defaultInstallDirs());
    const quibo::Config config = quibo::Config::fromEnvironment();
    quibo::WidgetPorts windows;
    quibo::DesktopPorts desktop(workDir, config);
    quibo::Ports ports;
    windows.fill(ports);
    desktop.fill(ports);

    quibo::Client client(config, quibo::Timings{}, workDir, ports);
    // The end of a desktop session (SIGTERM, SIGHUP) or Ctrl+C logs off like Exit.
    quibo::EndSignals endSignals;
    QObject::connect(&endSignals, &quibo::EndSignals::endRequested, &client, &quibo::Client::requestEnd);
    client.start();
    if (options.connect)
        client.connectNow();
    return QApplication::exec();
}
