#pragma once

#include <QHostAddress>
#include <QString>

#include <optional>

namespace quibo {

// A client's four ports, in the order of "peer,channel,private,web" (QUIBO_PORTS, and the ports
// a secure account publishes). The defaults are the fixed ones every classic client uses.
struct ClientPorts {
    quint16 peer = 68;
    quint16 channel = 69;
    quint16 privateChat = 569;
    quint16 web = 80;

    // Four decimal ports from 1 to 65535, spaces around each allowed; nullopt otherwise.
    static std::optional<ClientPorts> parse(const QString &list);
    [[nodiscard]] QString text() const;
    bool operator==(const ClientPorts &) const = default;
};

// Where this client listens and whom it talks to.
struct Config {
    QHostAddress listenAddress{QHostAddress::Any}; // both families
    quint16 peerPort = 68;
    quint16 channelPort = 69;
    quint16 privateChatPort = 569;
    quint16 webPort = 80;
    QString directoryHost;
    quint16 directoryPort = 80;
    // Named "https://host[:port]": TLS or nothing, the server's certificate checked against the
    // system's authorities and its host name, unless a pin is given.
    bool directoryHttps = false;
    // The SHA-256 of the directory's key (64 lowercase hex digits): TLS with that key or nothing.
    QByteArray directoryPin;
    // The own address to publish, instead of finding it (tests run clients on 127.0.0.x).
    QString ownAddressOverride;
    // An IPv6 address to publish beside it, instead of the host's global one (tests use ::1).
    QString ownAddress6Override;

    // The build-time directory, or QUIBO_DIRECTORY ("host", "host:port" or "https://host[:port]")
    // when set, and QUIBO_DIRECTORY_PIN, a pin for its key.
    // QUIBO_ADDRESS (a dotted IPv4 address) listens there only and publishes it; QUIBO_PORTS
    // ("peer,channel,private,web") moves the ports: several clients on one machine. Malformed
    // values are ignored with a warning.
    static Config fromEnvironment();
    // Parses "peer,channel,private,web" into the four ports; false when malformed.
    bool setPorts(const QString &list);
    [[nodiscard]] ClientPorts ports() const { return {peerPort, channelPort, privateChatPort, webPort}; }
    // Parses "host", "host:port" (port 80 by default) or "https://host[:port]" (443) into
    // directoryHost, directoryPort and directoryHttps; false when malformed.
    bool setDirectory(const QString &address);
    // 64 hex digits, in any case, spaces and colons between them allowed; false otherwise.
    bool setDirectoryPin(const QString &text);
    // "host" when the port is the scheme's own, else "host:port": the authority used in URLs.
    [[nodiscard]] QString directoryAuthority() const;
    // "http://" or "https://" and the authority.
    [[nodiscard]] QString directoryOrigin() const;
};

} // namespace quibo
