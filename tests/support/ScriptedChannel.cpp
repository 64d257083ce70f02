#include "ScriptedChannel.h"

#include <QTimer>

namespace quibo::test {

namespace {
void deliver(ChatWindowRecord *record, int action)
{
    if (!record->view)
        return;
    QTimer::singleShot(0, record->view.data(), [record, action] {
        if (record->open && record->view)
            Q_EMIT record->view->action(action);
    });
}
} // namespace

void ChatWindowRecord::say(const QString &text)
{
    if (open && fields)
        fields->m_message = text;
    deliver(this, ChatView::EnterButton);
}

void ChatWindowRecord::pressClose()
{
    deliver(this, ChatView::CloseButton);
}

void ChatWindowRecord::closeBox()
{
    if (view)
        view->close();
}

ScriptedChatView::ScriptedChatView(std::shared_ptr<ChatWindowRecord> record) : m_record(std::move(record))
{
    m_record->view = this;
}

ScriptedChatView::~ScriptedChatView()
{
    m_record->open = false;
    m_record->fields = nullptr;
}

void ScriptedChatView::close()
{
    if (!m_record->open)
        return;
    m_record->open = false;
    m_record->fields = nullptr;
    Q_EMIT action(Closed);
}

std::unique_ptr<ChatView> ScriptedChannel::openChannelWindow(QString hostLabel, ChatFields &fields)
{
    auto record = std::make_shared<ChatWindowRecord>();
    record->label = hostLabel;
    record->fields = &fields;
    windows.append(record);
    return std::make_unique<ScriptedChatView>(record);
}

} // namespace quibo::test
