#pragma once

#include "base/DottedAddress.h"

#include <QHostAddress>
#include <QString>

namespace quibo {

// Where the client stands with channels. One channel at a time: hosting, or joined to another
// client's.
enum class ChannelPhase {
    Idle,
    Hosting, // the host's window is open; members' lines are shown and relayed
    Closing, // the host's window has closed; the closing notice is going out to the members
    Joined,  // the member's window is open; lines from the host alone are shown
};

// The channel this client hosts or belongs to; one per client. The channel feature moves it
// from phase to phase; the rest reads it.
class ChannelSession {
public:
    [[nodiscard]] ChannelPhase phase() const { return m_phase; }
    // A channel window is open (the host's or a member's).
    [[nodiscard]] bool windowOpen() const
    {
        return m_phase == ChannelPhase::Hosting || m_phase == ChannelPhase::Joined;
    }
    // Neither a new channel nor a join may start.
    [[nodiscard]] bool busy() const { return m_phase != ChannelPhase::Idle; }
    // Member role: the host's contact index and address; lines from anywhere else are dropped.
    [[nodiscard]] int hostIndex() const { return m_hostIndex; }
    [[nodiscard]] const QString &hostAddress() const { return m_hostAddress; }

    // Idle to Hosting; false, changing nothing, when busy.
    bool startHosting() { return moveFrom(ChannelPhase::Idle, ChannelPhase::Hosting); }
    // The host's window closed: Hosting to Closing, then, the closing notice out, to Idle.
    void hostWindowClosed() { moveFrom(ChannelPhase::Hosting, ChannelPhase::Closing); }
    void closingDone() { moveFrom(ChannelPhase::Closing, ChannelPhase::Idle); }
    // Idle to Joined with `host`'s channel; false, changing nothing, when busy.
    bool join(int hostIndex, QString hostAddress)
    {
        if (!moveFrom(ChannelPhase::Idle, ChannelPhase::Joined))
            return false;
        m_hostIndex = hostIndex;
        m_hostAddress = std::move(hostAddress);
        return true;
    }
    // The member's window closed.
    void left() { moveFrom(ChannelPhase::Joined, ChannelPhase::Idle); }

private:
    bool moveFrom(ChannelPhase from, ChannelPhase to)
    {
        if (m_phase != from)
            return false;
        m_phase = to;
        return true;
    }

    ChannelPhase m_phase = ChannelPhase::Idle;
    int m_hostIndex = -1;
    QString m_hostAddress;
};

// True when a line from `from` came from the client at `address` ("0" is nobody's).
inline bool isAddressOf(const QString &address, const QHostAddress &from)
{
    return (isDottedIPv4(address) || isIPv6Literal(address)) &&
           QHostAddress(address).isEqual(from, QHostAddress::ConvertV4MappedToIPv4);
}

} // namespace quibo
