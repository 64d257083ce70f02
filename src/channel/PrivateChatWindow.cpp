#include "channel/PrivateChatWindow.h"

#include "base/Tasks.h"
#include "channel/ChannelLine.h"
#include "channel/PrivateChatPeer.h"
#include "channel/PrivateChatSession.h"
#include "notices/Notices.h"
#include "peer/PeerRecord.h"

namespace quibo {

PrivateChatWindow::PrivateChatWindow(Parts parts, QObject *parent)
    : QObject(parent), m_parts(parts),
      m_listener(new Listener(
          parts.config.listenAddress, parts.config.privateChatPort, channel::chatPortRule(), parts.timings,
          [this](Received line) { return lineArrived(line.from, channel::receivedLine(line.bytes)); }, this))
{
    connect(m_listener, &Listener::gaveUp, this, [this] {
        if (!m_parts.session.windowOpen())
            return;
        startTask(this, "private chat listener gave up", [this] {
            return m_parts.notices.showSystemMessage(
                DialogOwner::Desktop, QStringLiteral("Channel Closed By Host - Please Exit"), QString());
        });
    });
}

PrivateChatWindow::~PrivateChatWindow() = default;

void PrivateChatWindow::open()
{
    startTask(this, "private chat", [this] { return run(); });
}

void PrivateChatWindow::close()
{
    if (m_view)
        m_view->close();
}

QCoro::Task<> PrivateChatWindow::run()
{
    PrivateChatSession &s = m_parts.session;
    if (m_parts.logon.notLoggedOn) {
        // No window, so no chat: this side must not stay busy for the rest of the run.
        s.ended();
        co_await m_parts.notices.showSystemMessage(DialogOwner::Desktop,
                                                   QStringLiteral("Can't Start Chat Channel"),
                                                   QStringLiteral("You Are Not Logged On"));
        co_return;
    }
    s.windowOpened();
    m_listener->start();
    m_fields = {};
    m_view = m_parts.ui.openPrivateChat(
        {s.partner() + QLatin1Char(' '), QLatin1Char(' ') + m_parts.logon.ownHandle, s.initiator()},
        m_fields);
    ChatView &view = *m_view;
    for (;;) {
        const int action = co_await nextAction(view);
        if (action == ChatView::CloseButton || action == DialogView::Closed)
            break;
        if (action == ChatView::EnterButton) {
            view.setButtonsEnabled(false);
            co_await sendTyped();
            view.setButtonsEnabled(true);
        }
    }
    view.setButtonsEnabled(false);
    const bool refused = s.phase() == ChatPhase::Closing; // the partner said no: nothing to leave
    s.closing();
    // The partner's address is kept here: a new chat may begin while this one is still saying goodbye.
    const QString address = s.peerAddress();
    const bool joined = s.partnerJoined();
    if (!refused && joined)
        co_await sendNotice(address, channel::LeftNotice);
    view.close();
    m_view.reset();
    s.ended();
    if (!s.peerClosed() && joined)
        co_await sayClosed(address);
}

QCoro::Task<> PrivateChatWindow::sendTyped()
{
    const QString line =
        channel::composeLine(m_parts.logon.ownHandle, m_fields.m_message.left(ChatFields::MaxTyped));
    m_fields.m_message.clear();
    m_view->refresh();
    showLine(line, Direction::Out);
    const SendOutcome outcome = co_await m_parts.sender.records().sendBlock(
        m_parts.session.peerAddress(), m_parts.config.privateChatPort, channel::lineBlock(line));
    co_await tell(outcome, QStringLiteral("Host Closed Channel"),
                  QStringLiteral("Send Error - Error Code 1006"));
}

QCoro::Task<> PrivateChatWindow::sendNotice(QString address, QString notice)
{
    const QByteArray bytes = channel::noticeBytes(channel::composeLine(m_parts.logon.ownHandle, notice));
    const SendOutcome outcome = co_await m_parts.sender.records().sendBlock(
        std::move(address), m_parts.config.privateChatPort, bytes);
    co_await tell(outcome, QStringLiteral("Error Connecting - Error Code 1017"),
                  QStringLiteral("Error Sending Request - Error Code 1018"));
}

QCoro::Task<> PrivateChatWindow::sayClosed(QString address)
{
    const SendOutcome outcome = co_await m_parts.sender.records().sendBlock(
        address, m_parts.config.privateChatPort, channel::lineBlock(channel::ChatSessionClosed));
    co_await tell(outcome, QStringLiteral("Host Closed Channel"),
                  QStringLiteral("Send Error - Error Code 1006"));
    co_await m_parts.sender.SendShortRecord(m_parts.logon.ownHandle, std::move(address), peer::NoPayload,
                                            channel::ChatClosed);
}

QCoro::Task<> PrivateChatWindow::lineArrived(QHostAddress from, QString line)
{
    PrivateChatSession &s = m_parts.session;
    // Only the partner talks in a private chat: lines from any other address are dropped.
    if (!m_view || !s.windowOpen() ||
        !from.isEqual(QHostAddress(s.peerAddress()), QHostAddress::ConvertV4MappedToIPv4))
        co_return;
    s.partnerSpoke();
    showLine(line, Direction::In);
}

void PrivateChatWindow::showLine(const QString &line, Direction direction)
{
    m_parts.journal.record(
        {{}, direction, EntryKind::PrivateChatLine, Party::contact(m_parts.session.partner()), line});
    for (const QString &row : channel::channelRows(line)) {
        m_view->appendRow(row);
        m_parts.session.rowsShown(1);
    }
}

QCoro::Task<> PrivateChatWindow::tell(SendOutcome outcome, QString notConnected, QString sendFailed)
{
    if (outcome == SendOutcome::Sent)
        co_return;
    QString line1 = outcome == SendOutcome::NotConnected ? std::move(notConnected) : std::move(sendFailed);
    co_await m_parts.notices.showSystemMessage(DialogOwner::Desktop, std::move(line1), QString());
}

} // namespace quibo
