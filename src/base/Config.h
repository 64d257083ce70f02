#pragma once

#include <QHostAddress>
#include <QString>

namespace quibo {

// Where this client listens and whom it talks to.
struct Config {
    QHostAddress listenAddress{QHostAddress::AnyIPv4};
    quint16 peerPort = 68;
    quint16 channelPort = 69;
    quint16 privateChatPort = 569;
    quint16 webPort = 80;
    QString directoryHost;
    quint16 directoryPort = 80;
    // The own address to publish, instead of finding it (tests run clients on 127.0.0.x).
    QString ownAddressOverride;

    // The build-time directory, or QUIBO_DIRECTORY ("host" or "host:port") when set.
    // QUIBO_ADDRESS (a dotted IPv4 address) listens there only and publishes it; QUIBO_PORTS
    // ("peer,channel,private,web") moves the ports: several clients on one machine. Malformed
    // values are ignored with a warning.
    static Config fromEnvironment();
    // Parses "peer,channel,private,web" into the four ports; false when malformed.
    bool setPorts(const QString &list);
    // Parses "host" or "host:port" into directoryHost/directoryPort; false when malformed.
    bool setDirectory(const QString &hostAndPort);
    // "host" when the port is 80, else "host:port": the authority used in URLs.
    [[nodiscard]] QString directoryAuthority() const;
};

} // namespace quibo
