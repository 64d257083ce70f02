#include "ScriptedChat.h"

namespace quibo::test {

namespace {
class ScriptedChatView : public ScriptedView<ChatView> {
public:
    ScriptedChatView(const std::shared_ptr<ChatWindowRecord> &record, QStringList *log)
        : ScriptedView(record), m_record(record), m_log(log)
    {
    }

    void appendRow(QString row) override
    {
        if (m_log)
            m_log->append(QStringLiteral("row|") + row);
        m_record->rows.append(std::move(row));
    }

private:
    std::shared_ptr<ChatWindowRecord> m_record;
    QStringList *m_log;
};

std::shared_ptr<ChatWindowRecord> chatWindow(ChatFields &fields)
{
    auto record = std::make_shared<ChatWindowRecord>();
    record->fields = &fields;
    return record;
}
} // namespace

std::unique_ptr<ChatView> ScriptedChannel::openChannelWindow(QString hostLabel, ChatFields &fields)
{
    windows.append(chatWindow(fields));
    windows.last()->label = hostLabel;
    return std::make_unique<ScriptedChatView>(windows.last(), nullptr);
}

std::unique_ptr<ChatView> ScriptedPrivateChat::openPrivateChat(PrivateChatLabels labels, ChatFields &fields)
{
    windows.append(chatWindow(fields));
    log.append(QStringLiteral("window|%1<-->%2").arg(labels.partner, labels.own));
    auto view = std::make_unique<ScriptedChatView>(windows.last(), &log);
    if (labels.initiator) // the window's own first row
        view->appendRow(QStringLiteral("Please Wait For Contact To Join ..."));
    return view;
}

QCoro::Task<bool> ScriptedPrivateChat::askPrivateChat(QString requester)
{
    log.append(QStringLiteral("request|") + requester);
    co_return !answers.isEmpty() && answers.takeFirst();
}

} // namespace quibo::test
