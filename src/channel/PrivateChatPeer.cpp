#include "channel/PrivateChatPeer.h"

#include "base/LogonState.h"
#include "channel/ChannelLine.h"
#include "channel/PrivateChatWindow.h"
#include "contacts/ContactTable.h"
#include "mainwindow/CommandHandlers.h"
#include "mainwindow/Selection.h"
#include "notices/Notices.h"
#include "peer/Dispatcher.h"
#include "peer/ListenerMessage.h"
#include "peer/PeerSender.h"
#include "ports/Attention.h"

namespace quibo {

PrivateChatPeer::PrivateChatPeer(Parts parts, Dispatcher &dispatcher, CommandHandlers &commands,
                                 QObject *parent)
    : QObject(parent), m_parts(parts),
      m_window(new PrivateChatWindow({m_session, parts.logon, parts.config, parts.timings, parts.sender,
                                      parts.notices, parts.ui, parts.journal},
                                     this))
{
    dispatcher.on(channel::ChatRequest, [this](Origin from, QString) { return requested(std::move(from)); });
    dispatcher.on(channel::ChatClosed, [this](Origin, QString) { return closedByPeer(); });
    dispatcher.on(channel::ChatDeclined, [this](Origin from, QString) {
        return refused(from.name + QStringLiteral(" Does Not Want To Join"),
                       QStringLiteral("Private Chat, Maybe Later ..."));
    });
    dispatcher.on(channel::ChatBusy, [this](Origin from, QString) {
        return refused(from.name + QStringLiteral(" Is Busy In Another Chat Session"),
                       QStringLiteral("Try Again Later"));
    });
    commands.add(Command::PrivateChat, [this] { return PrivateChat(); });
}

PrivateChatPeer::~PrivateChatPeer() = default;

QCoro::Task<> PrivateChatPeer::PrivateChat()
{
    if (!m_parts.contacts.isValid(m_parts.selection.selectedContact))
        co_return;
    const ContactRecord &partner = m_parts.contacts.contact(m_parts.selection.selectedContact);
    if (!m_session.ask(partner.handle, partner.address))
        co_return;
    // The window opens before the request goes, so an answer, however quick, finds it; no
    // request goes for a window that could not open.
    m_window->open();
    if (!m_session.busy())
        co_return;
    co_await m_parts.sender.SendShortRecord(m_parts.logon.ownHandle, m_session.peerAddress(), peer::NoPayload,
                                            channel::ChatRequest, DialogOwner::MainWindow);
}

QCoro::Task<> PrivateChatPeer::requested(Origin from)
{
    if (m_session.busy()) {
        co_await m_parts.sender.SendShortRecord(m_parts.logon.ownHandle, from.address, peer::NoPayload,
                                                channel::ChatBusy);
        co_return;
    }
    m_parts.notices.playNotificationSound();
    m_parts.attention.arrived(from.name, QStringLiteral("asks you to a private chat"), {});
    co_await onChatRequest(std::move(from));
}

QCoro::Task<> PrivateChatPeer::onChatRequest(Origin from)
{
    const bool yes = co_await m_parts.ui.askPrivateChat(from.name);
    if (yes) {
        co_await accept(std::move(from));
        co_return;
    }
    co_await m_parts.sender.SendShortRecord(m_parts.logon.ownHandle, from.address, peer::NoPayload,
                                            channel::ChatDeclined);
}

QCoro::Task<> PrivateChatPeer::accept(Origin from)
{
    if (!m_session.accept(from.name, from.address))
        co_return;
    // The window, and with it the listener, opens before the joined notice goes: the partner
    // may answer the notice at once, and a line to a port nobody listens on yet is lost.
    m_window->open();
    if (!m_session.windowOpen())
        co_return;
    co_await m_window->sendNotice(from.address, channel::JoinedNotice);
}

QCoro::Task<> PrivateChatPeer::closedByPeer()
{
    m_session.partnerClosed();
    co_return;
}

QCoro::Task<> PrivateChatPeer::refused(QString line1, QString line2)
{
    co_await listenerMessage(m_parts.notices, std::move(line1), std::move(line2), true);
    onChatRefused();
}

void PrivateChatPeer::onChatRefused()
{
    m_session.closing();
    m_window->close();
}

} // namespace quibo
