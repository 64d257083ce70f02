#pragma once

#include "peer/Origin.h"

#include <QCoro/QCoroTask>

namespace quibo {

// The listener's side of private chat.
class PrivateChatPeer {
public:
    // "|700" while not in a private chat (the notification sound has started): the request dialog.
    QCoro::Task<> OnChatRequest(Origin from);
    // After "|702" or "|703" was told to the user: the private chat ends.
    void OnChatRefused();

    bool inPrivateChat = false;
    bool peerClosed = false;
};

} // namespace quibo
