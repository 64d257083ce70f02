#pragma once

#include <QString>

namespace quibo {

// The one private chat of a client. Only the private chat feature writes it.
struct PrivateChatSession {
    // From sending or accepting a request until the chat ends; new requests are answered busy.
    bool inPrivateChat = false;
    bool chatOpen = false;   // the window is open
    bool initiator = true;   // this side sent the request
    bool peerClosed = false; // "|704" came; cleared when a window opens
    // The partner is in the chat: from accepting on the invitee's side, from the partner's
    // first line on the initiator's. Nothing is said at closing to a partner who never joined.
    bool partnerJoined = false;
    int rowCount = 0; // the next row of the private chat window; its own count, not the channel's
    QString partner;  // the partner's handle as shown
    QString peerAddress;
};

} // namespace quibo
