#include "channel/widgets/WidgetChatUi.h"

#include "channel/widgets/ChatDialogs.h"

namespace quibo {

std::unique_ptr<ChatView> WidgetChannelUi::openChannelWindow(QString hostLabel, ChatFields &fields)
{
    auto *dialog = new CChatChannelDlg;
    dialog->setHostLabel(hostLabel);
    return openChatWindow(dialog, fields);
}

WidgetPrivateChatUi::WidgetPrivateChatUi() : m_request(new CPrivateChatRequestDlg)
{
}

WidgetPrivateChatUi::~WidgetPrivateChatUi()
{
    delete m_request.data();
}

std::unique_ptr<ChatView> WidgetPrivateChatUi::openPrivateChat(PrivateChatLabels labels, ChatFields &fields)
{
    auto *dialog = new CPrivateChatDlg;
    dialog->setLabels(labels);
    return openChatWindow(dialog, fields);
}

CPrivateChatRequestDlg &WidgetPrivateChatUi::requestDialog()
{
    if (!m_request)
        m_request = new CPrivateChatRequestDlg;
    return *m_request;
}

QCoro::Task<bool> WidgetPrivateChatUi::askPrivateChat(QString requester)
{
    QPointer<CPrivateChatRequestDlg> dialog = &requestDialog();
    dialog->setRequester(requester);
    dialog->open();
    co_await untilClosed(this, dialog);
    co_return dialog && dialog->result() == QDialog::Accepted;
}

} // namespace quibo
