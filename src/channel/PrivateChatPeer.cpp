#include "channel/PrivateChatPeer.h"

#include "base/LogonState.h"
#include "notices/Notices.h"
#include "peer/Dispatcher.h"
#include "peer/ListenerMessage.h"
#include "peer/PeerSender.h"

namespace quibo {

using peer::Code;

PrivateChatPeer::PrivateChatPeer(const LogonState &logon, PeerSender &sender, Notices &notices,
                                 Dispatcher &dispatcher)
    : m_logon(logon), m_sender(sender), m_notices(notices)
{
    dispatcher.on(Code::ChatRequest, [this](Origin from, QString) { return requested(std::move(from)); });
    dispatcher.on(Code::ChatClosed, [this](Origin, QString) { return closedByPeer(); });
    dispatcher.on(Code::ChatDeclined, [this](Origin from, QString) {
        return refused(from.name + QStringLiteral(" Does Not Want To Join"),
                       QStringLiteral("Private Chat, Maybe Later ..."));
    });
    dispatcher.on(Code::ChatBusy, [this](Origin from, QString) {
        return refused(from.name + QStringLiteral(" Is Busy In Another Chat Session"),
                       QStringLiteral("Try Again Later"));
    });
}

QCoro::Task<> PrivateChatPeer::requested(Origin from)
{
    if (inPrivateChat) {
        co_await m_sender.SendShortRecord(m_logon.ownHandle, from.address, peer::NoPayload,
                                          peer::codeEntry(Code::ChatBusy).text);
        co_return;
    }
    m_notices.playNotificationSound();
    co_await OnChatRequest(std::move(from));
}

QCoro::Task<> PrivateChatPeer::closedByPeer()
{
    peerClosed = true;
    co_return;
}

QCoro::Task<> PrivateChatPeer::refused(QString line1, QString line2)
{
    co_await listenerMessage(m_notices, std::move(line1), std::move(line2), true);
    OnChatRefused();
}

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
