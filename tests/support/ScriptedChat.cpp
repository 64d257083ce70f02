#include "ScriptedChat.h"

#include <QTimer>

#include <utility>

namespace quibo::test {

namespace {
class ScriptedChatView : public ChatView {
public:
    ScriptedChatView(std::shared_ptr<ChatWindowRecord> record, QStringList *log)
        : m_record(std::move(record)), m_log(log)
    {
        m_record->view = this;
    }
    ~ScriptedChatView() override
    {
        m_record->open = false;
        m_record->fields = nullptr;
    }

    void close() override
    {
        if (!std::exchange(m_record->open, false))
            return;
        m_record->fields = nullptr;
        Q_EMIT action(Closed);
    }
    [[nodiscard]] bool isOpen() const override { return m_record->open; }
    void refresh() override {}
    void setButtonsEnabled(bool enabled) override { m_record->buttonsEnabled = enabled; }
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
} // namespace

void ChatWindowRecord::press(int controlId, const QString &typed)
{
    if (!view)
        return;
    QTimer::singleShot(0, view.data(), [this, controlId, typed] {
        if (!open || !buttonsEnabled || !view)
            return;
        if (controlId == ChatView::EnterButton && fields)
            fields->m_message = typed;
        Q_EMIT view->action(controlId);
    });
}

std::unique_ptr<ChatView> ScriptedChannel::openChannelWindow(QString hostLabel, ChatFields &fields)
{
    auto record = std::make_shared<ChatWindowRecord>();
    record->label = hostLabel;
    record->fields = &fields;
    windows.append(record);
    return std::make_unique<ScriptedChatView>(record, nullptr);
}

std::unique_ptr<ChatView> ScriptedPrivateChat::openPrivateChat(PrivateChatLabels labels, ChatFields &fields)
{
    auto record = std::make_shared<ChatWindowRecord>();
    record->fields = &fields;
    windows.append(record);
    log.append(QStringLiteral("window|%1<-->%2").arg(labels.partner, labels.own));
    auto view = std::make_unique<ScriptedChatView>(record, &log);
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
