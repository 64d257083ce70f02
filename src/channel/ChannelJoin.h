#pragma once

#include "peer/Origin.h"

#include <QCoro/QCoroTask>

namespace quibo {

// The listener's side of joining chat channels.
class ChannelJoin {
public:
    // "|003": answers "|004" or "|005" to the asking contact.
    QCoro::Task<> AnswerJoin(Origin from);
    // "|004": joins the channel hosted by `host`, in a task of its own.
    void JoinedChannel(Origin host);

    int hostIndex = -1;
};

} // namespace quibo
