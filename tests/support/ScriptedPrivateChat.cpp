#include "ScriptedPrivateChat.h"

#include <QTimer>

namespace quibo::test {

void ChatWindowRecord::press(int controlId, const QString &typed)
{
    if (!view)
        return;
    QTimer::singleShot(0, view.data(), [this, controlId, typed] {
        if (!open || !buttonsEnabled || !view)
            return;
        if (controlId == ChatView::EnterButton)
            fields->m_message = typed;
        Q_EMIT view->action(controlId);
    });
}

void ScriptedChatView::close()
{
    if (!m_record->open)
        return;
    m_record->open = false;
    m_log.append(QStringLiteral("closed"));
    Q_EMIT action(Closed);
}

void ScriptedChatView::appendRow(QString row)
{
    m_log.append(QStringLiteral("row|") + row);
    m_record->rows.append(std::move(row));
}

std::unique_ptr<ChatView> ScriptedPrivateChat::openPrivateChat(PrivateChatLabels labels, ChatFields &fields)
{
    windows.append(std::make_shared<ChatWindowRecord>(ChatWindowRecord{labels, {}, true, true, &fields, {}}));
    log.append(QStringLiteral("window|%1<-->%2").arg(labels.partner, labels.own));
    auto view = std::make_unique<ScriptedChatView>(windows.last(), log);
    // The window puts this row up by itself as it opens.
    if (labels.initiator)
        view->appendRow(QStringLiteral("Please Wait For Contact To Join ..."));
    return view;
}

QCoro::Task<bool> ScriptedPrivateChat::askPrivateChat(QString requester)
{
    log.append(QStringLiteral("request|") + requester);
    co_return !answers.isEmpty() && answers.takeFirst();
}

} // namespace quibo::test
