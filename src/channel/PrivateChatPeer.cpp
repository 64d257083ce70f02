#include "channel/PrivateChatPeer.h"

namespace quibo {

QCoro::Task<> PrivateChatPeer::OnChatRequest(Origin from)
{
    // The request dialog comes with private chat.
    Q_UNUSED(from);
    co_return;
}

void PrivateChatPeer::OnChatRefused()
{
    inPrivateChat = false;
}

} // namespace quibo
