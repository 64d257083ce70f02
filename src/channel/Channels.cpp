#include "channel/Channels.h"

#include "base/Config.h"
#include "base/Tasks.h"
#include "channel/ChannelLine.h"
#include "notices/Notices.h"
#include "peer/PeerSender.h"

namespace quibo {

Channels::Channels(Parts parts, Dispatcher &dispatcher, CommandHandlers &commands, QObject *parent)
    : QObject(parent), m_notices(parts.notices),
      m_outbox(new ChannelOutbox(parts.sender.records(), parts.config.channelPort, parts.contacts,
                                 parts.notices, this)),
      m_window(new ChannelWindow({m_session, parts.logon, parts.contacts, *m_outbox, parts.ui, parts.journal},
                                 this)),
      m_listener(new Listener(
          parts.config.listenAddress, parts.config.channelPort, channel::chatPortRule(), parts.timings,
          [this](Received line) { return received(line.from, channel::receivedLine(line.bytes)); }, this)),
      m_hosted(new HostedChannel(
          {m_session, parts.logon, parts.contacts, *m_outbox, *m_window, *m_listener, parts.notices},
          commands, this)),
      m_join(new ChannelJoin({m_session, parts.logon, parts.selection, parts.contacts, parts.sender,
                              *m_outbox, *m_window, *m_listener, parts.notices},
                             dispatcher, commands, this))
{
    connect(m_listener, &Listener::gaveUp, this,
            [this] { startTask(this, "channel listener gave up", [this] { return listenerGaveUp(); }); });
}

QCoro::Task<> Channels::received(QHostAddress from, QString line)
{
    // No window, no row; a member shows only what its host sends.
    if (m_session.phase() == ChannelPhase::Hosting)
        co_await m_hosted->received(std::move(from), std::move(line));
    else if (m_session.phase() == ChannelPhase::Joined && isAddressOf(m_session.hostAddress(), from))
        m_window->ShowChannelLine(line);
}

QCoro::Task<> Channels::listenerGaveUp()
{
    if (m_session.windowOpen())
        co_await m_notices.showSystemMessage(
            DialogOwner::Desktop, QStringLiteral("Channel Closed By Host - Please Exit"), QString());
}

} // namespace quibo
