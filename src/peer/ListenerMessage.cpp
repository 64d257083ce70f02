#include "peer/ListenerMessage.h"

#include "notices/Notices.h"

namespace quibo {

QCoro::Task<> listenerMessage(Notices &notices, QString line1, QString line2, bool withSound)
{
    if (withSound)
        notices.playNotificationSound();
    co_await notices.showSystemMessage(DialogOwner::Desktop, std::move(line1), std::move(line2));
}

} // namespace quibo
