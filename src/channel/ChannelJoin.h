#pragma once

#include "peer/Origin.h"

#include <QCoro/QCoroTask>

namespace quibo {

class Dispatcher;
class Notices;

// The listener's side of joining chat channels: "|003", "|004" and "|005".
class ChannelJoin {
public:
    ChannelJoin(Notices &notices, Dispatcher &dispatcher);

    // "|003": answers "|004" or "|005" to the asking contact.
    QCoro::Task<> AnswerJoin(Origin from);
    // "|004": joins the channel hosted by `host`, in a task of its own.
    void JoinedChannel(Origin host);

    int hostIndex = -1;

private:
    QCoro::Task<> joined(Origin host);

    Notices &m_notices;
};

} // namespace quibo
