#pragma once

#include "base/DottedAddress.h"

#include <QHostAddress>
#include <QString>

namespace quibo {

// The channel this client hosts or belongs to; one per client.
struct ChannelSession {
    bool channelOpen = false; // a channel window is open
    bool hosting = false; // hosting: received lines are relayed; stays set until the closing notice is out
    int hostIndex = -1;   // member role: the host's contact index
    QString hostAddress;  // member role: the host's address; lines from anywhere else are dropped

    // Neither a new channel nor a join may start.
    [[nodiscard]] bool busy() const { return channelOpen || hosting; }
};

// True when a line from `from` came from the client at `address` ("0" is nobody's).
inline bool isAddressOf(const QString &address, const QHostAddress &from)
{
    return isDottedIPv4(address) && QHostAddress(address).isEqual(from, QHostAddress::ConvertV4MappedToIPv4);
}

} // namespace quibo
