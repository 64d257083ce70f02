#include "channel/ChannelJoin.h"

namespace quibo {

QCoro::Task<> ChannelJoin::AnswerJoin(Origin from)
{
    // Hosting and joining channels fill this in.
    Q_UNUSED(from);
    co_return;
}

void ChannelJoin::JoinedChannel(Origin host)
{
    Q_UNUSED(host);
}

} // namespace quibo
