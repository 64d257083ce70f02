#include "base/Config.h"

#include <algorithm>

namespace quibo {

Config Config::fromEnvironment()
{
    Config config;
    config.setDirectory(QStringLiteral(QUIBO_DEFAULT_DIRECTORY));
    const QString fromEnv = qEnvironmentVariable("QUIBO_DIRECTORY").trimmed();
    if (!fromEnv.isEmpty() && !config.setDirectory(fromEnv))
        qWarning("QUIBO_DIRECTORY is not HOST[:PORT] or https://HOST[:PORT]; it is ignored");
    const QString pin = qEnvironmentVariable("QUIBO_DIRECTORY_PIN").trimmed();
    if (!pin.isEmpty() && !config.setDirectoryPin(pin)) {
        // Not ignored: a pin that matches no key stops the logon instead of trusting any key.
        config.directoryPin = pin.toLatin1();
        qWarning("QUIBO_DIRECTORY_PIN is not 64 hexadecimal digits; no directory key will match it");
    }
    const QString address = qEnvironmentVariable("QUIBO_ADDRESS").trimmed();
    if (!address.isEmpty()) {
        const QHostAddress parsed(address);
        if (parsed.protocol() == QAbstractSocket::IPv4Protocol) {
            config.listenAddress = parsed;
            config.ownAddressOverride = parsed.toString();
        } else {
            qWarning("QUIBO_ADDRESS is not a dotted IPv4 address; it is ignored");
        }
    }
    const QString ports = qEnvironmentVariable("QUIBO_PORTS").trimmed();
    if (!ports.isEmpty() && !config.setPorts(ports))
        qWarning("QUIBO_PORTS is not four ports PEER,CHANNEL,PRIVATE,WEB; it is ignored");
    return config;
}

std::optional<ClientPorts> ClientPorts::parse(const QString &list)
{
    const QStringList parts = list.split(u',');
    if (parts.size() != 4)
        return std::nullopt;
    quint16 values[4] = {};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        bool ok = false;
        const uint port = parts.at(i).trimmed().toUInt(&ok);
        if (!ok || port == 0 || port > 65535)
            return std::nullopt;
        values[i] = static_cast<quint16>(port);
    }
    return ClientPorts{values[0], values[1], values[2], values[3]};
}

QString ClientPorts::text() const
{
    return QStringLiteral("%1,%2,%3,%4").arg(peer).arg(channel).arg(privateChat).arg(web);
}

bool Config::setPorts(const QString &list)
{
    const std::optional<ClientPorts> parsed = ClientPorts::parse(list);
    if (!parsed)
        return false;
    peerPort = parsed->peer;
    channelPort = parsed->channel;
    privateChatPort = parsed->privateChat;
    webPort = parsed->web;
    return true;
}

bool Config::setDirectory(const QString &address)
{
    const QString httpsScheme = QStringLiteral("https://");
    const bool https = address.startsWith(httpsScheme, Qt::CaseInsensitive);
    const QString hostAndPort = https ? address.mid(httpsScheme.size()) : address;
    const qsizetype colon = hostAndPort.lastIndexOf(u':');
    QString host = hostAndPort;
    quint16 port = https ? 443 : 80;
    if (colon >= 0) {
        bool ok = false;
        const uint p = hostAndPort.mid(colon + 1).toUInt(&ok);
        if (!ok || p == 0 || p > 65535)
            return false;
        host = hostAndPort.left(colon);
        port = static_cast<quint16>(p);
    }
    if (host.startsWith(u'[') && host.endsWith(u']')) // an IPv6 address
        host = host.mid(1, host.size() - 2);
    if (host.isEmpty() || host.contains(u'/'))
        return false;
    directoryHost = host;
    directoryPort = port;
    directoryHttps = https;
    return true;
}

bool Config::setDirectoryPin(const QString &text)
{
    QByteArray digits = text.toLatin1().toLower();
    digits.removeIf([](char c) { return c == ' ' || c == ':'; });
    if (digits.size() != 64 || !std::all_of(digits.cbegin(), digits.cend(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
        }))
        return false;
    directoryPin = digits;
    return true;
}

QString Config::directoryAuthority() const
{
    const QString host = directoryHost.contains(u':') ? u'[' + directoryHost + u']' : directoryHost;
    return directoryPort == (directoryHttps ? 443 : 80) ? host : QStringLiteral("%1:%2").arg(host).arg(directoryPort);
}

QString Config::directoryOrigin() const
{
    return (directoryHttps ? QStringLiteral("https://") : QStringLiteral("http://")) + directoryAuthority();
}

} // namespace quibo
