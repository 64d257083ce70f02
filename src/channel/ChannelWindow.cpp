#include "channel/ChannelWindow.h"

#include "base/LogonState.h"
#include "channel/ChannelLine.h"
#include "channel/ChannelOutbox.h"
#include "channel/ChannelSession.h"

namespace quibo {

ChannelWindow::ChannelWindow(Parts parts, QObject *parent) : QObject(parent), m_parts(parts)
{
}

ChannelWindow::~ChannelWindow() = default;

QCoro::Task<> ChannelWindow::run(QString hostLabel)
{
    m_fields = {};
    m_party = Party::channel(hostLabel);
    m_view = m_parts.ui.openChannelWindow(std::move(hostLabel), m_fields);
    for (;;) {
        const int action = co_await nextAction(*m_view);
        if (action == ChatView::EnterButton) {
            SendTypedLine();
            continue;
        }
        if (action == ChatView::CloseButton || action == DialogView::Closed)
            break;
    }
    LeaveChannel();
    m_view->close();
    m_view.reset();
}

void ChannelWindow::ShowChannelLine(const QString &line)
{
    if (!isOpen())
        return;
    m_parts.journal.record({{}, Direction::In, EntryKind::ChannelLine, m_party, line});
    showRows(line);
}

void ChannelWindow::showRows(const QString &line)
{
    for (const QString &row : channel::channelRows(line))
        m_view->appendRow(row);
}

void ChannelWindow::SendTypedLine()
{
    const QString line = channel::composeLine(m_parts.logon.ownHandle, m_fields.m_message);
    m_fields.m_message.clear();
    m_view->refresh();
    m_parts.journal.record({{}, Direction::Out, EntryKind::ChannelLine, m_party, line});
    showRows(line);
    const ChannelSession &session = m_parts.session;
    const bool hosting = session.phase() == ChannelPhase::Hosting;
    ChannelOutbox::Line out{channel::lineBlock(line),
                            {},
                            LineMessages,
                            hosting ? ChannelOutbox::To::Members : ChannelOutbox::To::One};
    out.to = hosting ? ChannelOutbox::members(m_parts.contacts)
                     : QList<ChannelOutbox::Recipient>{{session.hostIndex(), session.hostAddress()}};
    m_parts.outbox.post(std::move(out));
}

void ChannelWindow::LeaveChannel()
{
    const ChannelSession &session = m_parts.session;
    if (session.phase() == ChannelPhase::Joined) {
        const QString notice = channel::composeLine(m_parts.logon.ownHandle, channel::LeftNotice);
        m_parts.outbox.post(
            {channel::noticeBytes(notice), {{session.hostIndex(), session.hostAddress()}}, NoticeMessages});
    }
}

} // namespace quibo
