#pragma once

#include "peer/Origin.h"
#include "peer/PeerRecord.h"
#include "ports/DialogOwner.h"

#include <QCoro/QCoroTask>
#include <QObject>

namespace quibo {

class ChannelSession;
struct LogonState;
struct Selection;
class ChannelOutbox;
class ChannelWindow;
class CommandHandlers;
class ContactTable;
class Dispatcher;
class Listener;
class Notices;
class PeerSender;

namespace channel {
// The join handshake, without payload.
inline constexpr peer::RecordCode JoinAsk{u"|003", peer::TinyBlock};
inline constexpr peer::RecordCode JoinYes{u"|004", peer::TinyBlock};
inline constexpr peer::RecordCode JoinNo{u"|005", peer::TinyBlock};
} // namespace channel

// Joining channels: "Join Chat Channel" ("|003"), the host's answer ("|004" or "|005"), and
// the member's window.
class ChannelJoin : public QObject {
    Q_OBJECT
public:
    struct Parts {
        ChannelSession &session;
        const LogonState &logon;
        const Selection &selection;
        ContactTable &contacts;
        PeerSender &sender;
        ChannelOutbox &outbox;
        ChannelWindow &window;
        Listener &listener;
        Notices &notices;
    };
    ChannelJoin(Parts parts, Dispatcher &dispatcher, CommandHandlers &commands, QObject *parent = nullptr);

    // Asks the contact last clicked in the list to let this client join its channel.
    QCoro::Task<> RequestJoin();
    // "|003": "|004" while hosting, the asker marked as a member, else "|005".
    QCoro::Task<> AnswerJoin(Origin from);
    // "|004": joins the channel of `host` in a task of its own.
    void JoinedChannel(Origin host);

private:
    QCoro::Task<> accepted(Origin host);
    QCoro::Task<> joined(Origin host);
    // Sends a 20-byte handshake record; a failure is told.
    QCoro::Task<> sendCode(QString address, peer::RecordCode code, QString notConnected, QString sendFailed,
                           DialogOwner owner);

    Parts m_parts;
};

} // namespace quibo
