#include "channel/HostedChannel.h"

#include "base/LogonState.h"
#include "base/Tasks.h"
#include "channel/ChannelLine.h"
#include "channel/ChannelOutbox.h"
#include "channel/ChannelSession.h"
#include "channel/ChannelWindow.h"
#include "contacts/ContactTable.h"
#include "mainwindow/CommandHandlers.h"
#include "notices/Notices.h"

namespace quibo {

HostedChannel::HostedChannel(Parts parts, CommandHandlers &commands, QObject *parent)
    : QObject(parent), m_parts(parts)
{
    commands.addDetached(Command::HostChannel, [this] { start(); });
    commands.addDetached(Command::ChatChannel, [this] { start(); });
}

void HostedChannel::start()
{
    startTask(this, "hosted channel", [this] { return HostChannel(); });
}

QCoro::Task<> HostedChannel::HostChannel()
{
    if (m_parts.logon.notLoggedOn) {
        co_await m_parts.notices.showSystemMessage(DialogOwner::Desktop,
                                                   QStringLiteral("Can't Start Chat Channel"),
                                                   QStringLiteral("You Are Not Logged On"));
        co_return;
    }
    ChannelSession &session = m_parts.session;
    if (!session.startHosting())
        co_return;
    m_parts.outbox.newChannel();
    m_parts.listener.start();
    co_await m_parts.window.run(m_parts.logon.ownHandle);
    session.hostWindowClosed();

    const quint64 closing = m_parts.outbox.post({channel::lineBlock(channel::SessionClosed),
                                                 ChannelOutbox::members(m_parts.contacts), LineMessages,
                                                 ChannelOutbox::To::Members});
    co_await m_parts.outbox.untilDelivered(closing);
    session.closingDone();
}

QCoro::Task<> HostedChannel::received(QHostAddress from, QString line)
{
    const int member = memberAt(from);
    if (member < 0)
        co_return;
    m_parts.window.ShowChannelLine(line);
    const QString sender = channel::senderOf(line);
    if (sender.isEmpty())
        co_return;
    ChannelOutbox::Line relay{channel::lineBlock(line), {}, RelayMessages, ChannelOutbox::To::Members};
    for (const ChannelOutbox::Recipient &to : ChannelOutbox::members(m_parts.contacts)) {
        if (!isAddressOf(to.address, from) && m_parts.contacts.contact(to.index).handle != sender)
            relay.to.append(to);
    }
    if (line == channel::composeLine(sender, channel::LeftNotice) &&
        m_parts.contacts.contact(member).handle == sender)
        m_parts.contacts.setInChannel(member, false);
    if (!relay.to.isEmpty())
        co_await m_parts.outbox.untilDelivered(m_parts.outbox.post(std::move(relay)));
}

int HostedChannel::memberAt(const QHostAddress &from) const
{
    for (const ChannelOutbox::Recipient &member : ChannelOutbox::members(m_parts.contacts)) {
        if (isAddressOf(member.address, from))
            return member.index;
    }
    return -1;
}

} // namespace quibo
