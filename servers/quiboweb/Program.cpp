#include "Program.h"

#include "ClientLifeline.h"
#include "CloseRequestListener.h"
#include "CommandLine.h"
#include "HandedIdentity.h"
#include "ListeningSocket.h"
#include "ServedQueue.h"
#include "WebServer.h"
#include "WebServerWindow.h"
#include "base/WindowKey.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <memory>

namespace quibo::web {

namespace {

void printLine(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().append('\n').constData(), stream);
    std::fflush(stream);
}

QString servingText(const WebServerOptions &options)
{
    return QStringLiteral("Serving %1 on http://%2/")
        .arg(QFileInfo(options.root).absoluteFilePath(), formatListenAddress(options.host, options.port));
}

// The TLS identity the client handed; a failure leaves HTTP served, and is reported: a secure
// downloader then refuses this server, never falls back to plain.
shared_port::TlsContext takeTls()
{
    HandedTls handed = tlsFromEnvironment();
    if (!handed.error.isEmpty())
        printLine(stderr, QStringLiteral("quiboweb: no HTTPS: %1").arg(handed.error));
    return std::move(handed.context);
}

// Listens for close requests; a failure costs only the remote close, so it is reported, not fatal.
void listenForClose(CloseRequestListener &listener, const WebServerOptions &options)
{
    QString why;
    if (!listener.listen(windowKey(WebServerWindowTitle, options.host, options.port), &why))
        printLine(stderr, QStringLiteral("quiboweb: cannot take close requests: %1").arg(why));
}

int runHeadless(int argc, char **argv, const WebServerOptions &options)
{
    QCoreApplication app(argc, argv);
    CloseRequestListener closeRequests;
    QObject::connect(&closeRequests, &CloseRequestListener::closeRequested, &app, &QCoreApplication::quit);
    listenForClose(closeRequests, options);
    ClientLifeline lifeline;
    QObject::connect(&lifeline, &ClientLifeline::clientEnded, &app, &QCoreApplication::quit);
    lifeline.watchFromEnvironment();
    shared_port::TlsContext tls = takeTls();

    const ListeningSocket socket = openListeningSocket(options.host, options.port);
    if (socket.fd < 0) {
        printLine(stderr, QStringLiteral("quiboweb: ") + socket.error);
        return 1;
    }
    WebServer server(options.root, {}, std::move(tls));
    server.start(socket.fd);
    printLine(stdout, QStringLiteral("quiboweb: ") + servingText(options));
    const int code = app.exec();
    server.stopAndWait();
    return code;
}

int runWindowed(int argc, char **argv, const WebServerOptions &options)
{
    QApplication app(argc, argv);
    WebServerWindow window;
    CloseRequestListener closeRequests;
    QObject::connect(&closeRequests, &CloseRequestListener::closeRequested, &window, &QWidget::close);
    listenForClose(closeRequests, options);
    ClientLifeline lifeline;
    QObject::connect(&lifeline, &ClientLifeline::clientEnded, &window, &QWidget::close);
    lifeline.watchFromEnvironment();
    shared_port::TlsContext tls = takeTls();

    ServedQueue served;
    QObject::connect(&served, &ServedQueue::served, &window, &WebServerWindow::addServed);
    std::unique_ptr<WebServer> server; // declared last: stopped before what it reports to goes away
    const ListeningSocket socket = openListeningSocket(options.host, options.port);
    if (socket.fd < 0) {
        // Stay up with the reason on screen: the user started us and should see why nothing is served.
        window.showFailure(socket.error);
        printLine(stderr, QStringLiteral("quiboweb: ") + socket.error);
    } else {
        server = std::make_unique<WebServer>(
            options.root, [&served](const ServedRequest &request) { served.push(request); }, std::move(tls));
        server->start(socket.fd);
        window.showServing(servingText(options));
        printLine(stdout, QStringLiteral("quiboweb: ") + servingText(options));
    }
    // It comes up while the client opens its own windows, registration among them: a status
    // window takes the keyboard from none of them, and covers none of them.
    window.setAttribute(Qt::WA_ShowWithoutActivating);
    window.show();
    window.lower();
    const int code = app.exec();
    if (server)
        server->stopAndWait();
    return code;
}

} // namespace

int runWebServer(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine commandLine = parseCommandLine(arguments);
    switch (commandLine.action) {
    case CommandLine::Action::Version:
        std::fputs("quiboweb " QUIBO_VERSION "\n", stdout);
        return 0;
    case CommandLine::Action::Help:
        std::fputs(usageText().toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Action::Error:
        printLine(stderr, QStringLiteral("quiboweb: %1\nTry 'quiboweb --help'.").arg(commandLine.error));
        return 2;
    case CommandLine::Action::Run:
        break;
    }
    return commandLine.options.headless ? runHeadless(argc, argv, commandLine.options)
                                        : runWindowed(argc, argv, commandLine.options);
}

} // namespace quibo::web
