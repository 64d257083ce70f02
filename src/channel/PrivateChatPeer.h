#pragma once

#include "peer/Origin.h"

#include <QCoro/QCoroTask>

namespace quibo {

struct LogonState;
class Dispatcher;
class Notices;
class PeerSender;

// The listener's side of private chat: "|700", "|702", "|703" and "|704".
class PrivateChatPeer {
public:
    PrivateChatPeer(const LogonState &logon, PeerSender &sender, Notices &notices, Dispatcher &dispatcher);

    // "|700" while not in a private chat (the notification sound has started): the request dialog.
    QCoro::Task<> OnChatRequest(Origin from);
    // After "|702" or "|703" was told to the user: the private chat ends.
    void OnChatRefused();

    bool inPrivateChat = false;
    bool peerClosed = false;

private:
    QCoro::Task<> requested(Origin from);
    QCoro::Task<> closedByPeer();
    QCoro::Task<> refused(QString line1, QString line2);

    const LogonState &m_logon;
    PeerSender &m_sender;
    Notices &m_notices;
};

} // namespace quibo
