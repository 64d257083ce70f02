#include "channel/ChannelJoin.h"

#include "base/LogonState.h"
#include "base/Tasks.h"
#include "channel/ChannelLine.h"
#include "channel/ChannelOutbox.h"
#include "channel/ChannelSession.h"
#include "channel/ChannelWindow.h"
#include "contacts/ContactTable.h"
#include "mainwindow/CommandHandlers.h"
#include "mainwindow/Selection.h"
#include "notices/Notices.h"
#include "peer/Dispatcher.h"
#include "peer/ListenerMessage.h"
#include "peer/PeerSender.h"

namespace quibo {

ChannelJoin::ChannelJoin(Parts parts, Dispatcher &dispatcher, CommandHandlers &commands, QObject *parent)
    : QObject(parent), m_parts(parts)
{
    dispatcher.on(channel::JoinAsk, [this](Origin from, QString) { return AnswerJoin(std::move(from)); });
    dispatcher.on(channel::JoinYes, [this](Origin from, QString) { return accepted(std::move(from)); });
    dispatcher.on(channel::JoinNo, [this](Origin, QString) {
        return listenerMessage(m_parts.notices, QStringLiteral("Contact Is Not Hosting A Chat Channel"),
                               QString(), false);
    });
    commands.add(Command::JoinChannel, [this] { return RequestJoin(); });
}

QCoro::Task<> ChannelJoin::RequestJoin()
{
    if (m_parts.session.busy()) {
        co_await m_parts.notices.showSystemMessage(DialogOwner::MainWindow,
                                                   QStringLiteral("You Are Already In A Channel"), QString());
        co_return;
    }
    const std::optional<int> target = m_parts.contacts.ContactFromListItem(m_parts.selection.clickedItem);
    if (!target)
        co_return;
    co_await sendCode(m_parts.contacts.addressOf(*target), channel::JoinAsk,
                      QStringLiteral("Error Connecting - Error Code 1007"),
                      QStringLiteral("Error Sending Request - Error Code 1008"), DialogOwner::MainWindow);
}

QCoro::Task<> ChannelJoin::AnswerJoin(Origin from)
{
    const bool hosting = m_parts.session.phase() == ChannelPhase::Hosting;
    // Marked before the answer goes out: the new member's joined notice may come at once.
    if (hosting)
        m_parts.contacts.setInChannel(from.index);
    // One who never heard the answer stays marked, as with every failure: it costs the host one
    // message in the channel at most.
    const peer::RecordCode answer = hosting ? channel::JoinYes : channel::JoinNo;
    co_await sendCode(from.address, answer, QStringLiteral("Error Connecting - Error Code 1009"),
                      QStringLiteral("Error Sending Request - Error Code 1010"), DialogOwner::Desktop);
}

void ChannelJoin::JoinedChannel(Origin host)
{
    startTask(this, "joined channel", [this, host] { return joined(host); });
}

QCoro::Task<> ChannelJoin::accepted(Origin host)
{
    JoinedChannel(std::move(host));
    co_return;
}

QCoro::Task<> ChannelJoin::joined(Origin host)
{
    ChannelSession &session = m_parts.session;
    ChannelOutbox &outbox = m_parts.outbox;
    const QString own = m_parts.logon.ownHandle;
    if (session.phase() == ChannelPhase::Joined && host.address == session.hostAddress())
        co_return; // the answer to a repeated request: already in this channel
    if (!session.join(host.index, host.address)) {
        // One channel at a time: the second host hears this client leave, so it unmarks it.
        outbox.post({channel::noticeBytes(channel::composeLine(own, channel::LeftNotice)),
                     {{host.index, host.address}},
                     NoticeMessages});
        co_return;
    }
    outbox.post({channel::noticeBytes(channel::composeLine(own, channel::JoinedNotice)),
                 {{host.index, host.address}},
                 NoticeMessages});
    m_parts.listener.start();
    co_await m_parts.window.run(host.name);
    session.left();
}

QCoro::Task<> ChannelJoin::sendCode(QString address, peer::RecordCode code, QString notConnected,
                                    QString sendFailed, DialogOwner owner)
{
    const SendOutcome outcome = co_await m_parts.sender.sendCode(std::move(address), code);
    if (outcome == SendOutcome::Sent)
        co_return;
    co_await m_parts.notices.showSystemMessage(
        owner, outcome == SendOutcome::NotConnected ? notConnected : sendFailed, QString());
}

} // namespace quibo
