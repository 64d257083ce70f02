#include "base/Config.h"

namespace quibo {

Config Config::fromEnvironment()
{
    Config config;
    config.setDirectory(QStringLiteral(QUIBO_DEFAULT_DIRECTORY));
    const QString fromEnv = qEnvironmentVariable("QUIBO_DIRECTORY").trimmed();
    if (!fromEnv.isEmpty() && !config.setDirectory(fromEnv))
        qWarning("QUIBO_DIRECTORY is not HOST[:PORT]; it is ignored");
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

bool Config::setPorts(const QString &list)
{
    const QStringList parts = list.split(u',');
    if (parts.size() != 4)
        return false;
    quint16 values[4] = {};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        bool ok = false;
        const uint port = parts.at(i).trimmed().toUInt(&ok);
        if (!ok || port == 0 || port > 65535)
            return false;
        values[i] = static_cast<quint16>(port);
    }
    peerPort = values[0];
    channelPort = values[1];
    privateChatPort = values[2];
    webPort = values[3];
    return true;
}

bool Config::setDirectory(const QString &hostAndPort)
{
    const qsizetype colon = hostAndPort.lastIndexOf(u':');
    QString host = hostAndPort;
    quint16 port = 80;
    if (colon >= 0) {
        bool ok = false;
        const uint p = hostAndPort.mid(colon + 1).toUInt(&ok);
        if (!ok || p == 0 || p > 65535)
            return false;
        host = hostAndPort.left(colon);
        port = static_cast<quint16>(p);
    }
    if (host.isEmpty())
        return false;
    directoryHost = host;
    directoryPort = port;
    return true;
}

QString Config::directoryAuthority() const
{
    return directoryPort == 80 ? directoryHost
                               : QStringLiteral("%1:%2").arg(directoryHost).arg(directoryPort);
}

} // namespace quibo
