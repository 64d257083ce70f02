#pragma once

#include <QCoro/QCoroTask>
#include <QHostAddress>
#include <QObject>
#include <QString>

namespace quibo {

class ChannelSession;
struct LogonState;
class ChannelOutbox;
class ChannelWindow;
class CommandHandlers;
class ContactTable;
class Listener;
class Notices;

// Hosting a channel: "&Host Chat Channel" and "Ch&at Channel", the members' lines shown and
// passed on to the other members, and the closing notice.
class HostedChannel : public QObject {
    Q_OBJECT
public:
    struct Parts {
        ChannelSession &session;
        const LogonState &logon;
        ContactTable &contacts;
        ChannelOutbox &outbox;
        ChannelWindow &window;
        Listener &listener;
        Notices &notices;
    };
    HostedChannel(Parts parts, CommandHandlers &commands, QObject *parent = nullptr);

    QCoro::Task<> HostChannel();
    // A line on the channel port while hosting. Only members' lines count; a member's left
    // notice unmarks it.
    QCoro::Task<> received(QHostAddress from, QString line);

private:
    void start();
    [[nodiscard]] int memberAt(const QHostAddress &from) const;

    Parts m_parts;
};

} // namespace quibo
