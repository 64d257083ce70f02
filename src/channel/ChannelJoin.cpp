#include "channel/ChannelJoin.h"

#include "peer/Dispatcher.h"
#include "peer/ListenerMessage.h"

namespace quibo {

using peer::Code;

ChannelJoin::ChannelJoin(Notices &notices, Dispatcher &dispatcher) : m_notices(notices)
{
    dispatcher.on(Code::JoinAsk, [this](Origin from, QString) { return AnswerJoin(std::move(from)); });
    dispatcher.on(Code::JoinYes, [this](Origin from, QString) { return joined(std::move(from)); });
    dispatcher.on(Code::JoinNo, [this](Origin, QString) {
        return listenerMessage(m_notices, QStringLiteral("Contact Is Not Hosting A Chat Channel"), QString(),
                               false);
    });
}

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

QCoro::Task<> ChannelJoin::joined(Origin host)
{
    hostIndex = host.index;
    JoinedChannel(std::move(host));
    co_return;
}

} // namespace quibo
