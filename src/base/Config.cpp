#include "base/Config.h"

namespace quibo {

Config Config::fromEnvironment()
{
    Config config;
    config.setDirectory(QStringLiteral(QUIBO_DEFAULT_DIRECTORY));
    const QString fromEnv = qEnvironmentVariable("QUIBO_DIRECTORY").trimmed();
    if (!fromEnv.isEmpty())
        config.setDirectory(fromEnv);
    return config;
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
