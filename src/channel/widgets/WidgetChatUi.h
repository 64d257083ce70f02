#pragma once

#include "ports/ChatUi.h"

#include <QObject>
#include <QPointer>

namespace quibo {

class CPrivateChatRequestDlg;

// The channel window as a real window of its own, made for each channel.
class WidgetChannelUi : public ChannelUi {
public:
    std::unique_ptr<ChatView> openChannelWindow(QString hostLabel, ChatFields &fields) override;
};

// The private chat window, made for each chat, and the request window, one for the run.
class WidgetPrivateChatUi : public QObject, public PrivateChatUi {
    Q_OBJECT
public:
    WidgetPrivateChatUi();
    ~WidgetPrivateChatUi() override;

    std::unique_ptr<ChatView> openPrivateChat(PrivateChatLabels labels, ChatFields &fields) override;
    QCoro::Task<bool> askPrivateChat(QString requester) override;

    CPrivateChatRequestDlg &requestDialog();

private:
    QPointer<CPrivateChatRequestDlg> m_request;
};

} // namespace quibo
