#include "CommandLine.h"

namespace quibo::web {

bool parseListenAddress(const QString &text, QString *host, quint16 *port)
{
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon <= 0)
        return false;
    QString name = text.left(colon);
    if (name.startsWith(u'[') != name.endsWith(u']'))
        return false;
    if (name.startsWith(u'['))
        name = name.mid(1, name.size() - 2);
    else if (name.contains(u':'))
        return false; // an IPv6 address needs brackets, or its last group reads as the port
    bool ok = false;
    const uint number = text.mid(colon + 1).toUInt(&ok);
    if (name.isEmpty() || !ok || number == 0 || number > 65535)
        return false;
    *host = name;
    *port = static_cast<quint16>(number);
    return true;
}

QString formatListenAddress(const QString &host, quint16 port)
{
    return (host.contains(u':') ? u'[' + host + u']' : host) + u':' + QString::number(port);
}

namespace {

CommandLine failure(const QString &error)
{
    CommandLine result;
    result.action = CommandLine::Action::Error;
    result.error = error;
    return result;
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine result;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString name = arguments.at(i);
        QString value;
        bool hasValue = false;
        const qsizetype equals = name.indexOf(u'=');
        if (name.startsWith(u"--") && equals > 0) {
            value = name.mid(equals + 1);
            name = name.left(equals);
            hasValue = true;
        }
        const bool takesValue = name == u"--root" || name == u"--listen";
        if (!takesValue && hasValue)
            return failure(QStringLiteral("option %1 takes no value").arg(name));
        if (takesValue && !hasValue) {
            if (i + 1 >= arguments.size())
                return failure(QStringLiteral("option %1 needs a value").arg(name));
            value = arguments.at(++i);
        }

        if (name == u"--help" || name == u"-h") {
            result.action = CommandLine::Action::Help;
        } else if (name == u"--version") {
            result.action = CommandLine::Action::Version;
        } else if (name == u"--headless") {
            result.options.headless = true;
        } else if (name == u"--root") {
            if (value.isEmpty())
                return failure(QStringLiteral("--root needs a directory"));
            result.options.root = value;
        } else if (name == u"--listen") {
            if (!parseListenAddress(value, &result.options.host, &result.options.port))
                return failure(QStringLiteral("--listen expects HOST:PORT with a port from 1 to 65535, not \"%1\"").arg(value));
        } else if (name.startsWith(u'-')) {
            return failure(QStringLiteral("unknown option %1").arg(name));
        } else {
            return failure(QStringLiteral("unexpected argument \"%1\"").arg(name));
        }
    }
    return result;
}

QString usageText()
{
    return QStringLiteral(
        "Usage: quiboweb [--root DIR] [--listen HOST:PORT] [--headless]\n"
        "Serves the files under DIR over HTTP (GET and HEAD), in a window that lists each request.\n"
        "\n"
        "  --root DIR          folder to serve (default ./html)\n"
        "  --listen HOST:PORT  address to listen on (default [::]:80, IPv4 and IPv6;\n"
        "                      0.0.0.0:80 for IPv4 alone, [::1]:8080 for one IPv6 address)\n"
        "  --headless          run without a window; errors go to stderr\n"
        "  --version           show the version\n"
        "  --help              show this text\n"
        "\n"
        "Ports below 1024 need root or the CAP_NET_BIND_SERVICE capability:\n"
        "  sudo setcap cap_net_bind_service=+ep quiboweb\n");
}

} // namespace quibo::web
