#include "ScriptedDialogs.h"

#include "ScriptedUi.h"

#include <QTimer>

namespace quibo::test {

void HeldDialog::press(int controlId, std::function<void()> before)
{
    if (!view)
        return;
    QTimer::singleShot(0, view.data(), [this, controlId, before = std::move(before)] {
        if (!open || !buttonsEnabled || !view)
            return;
        if (before)
            before();
        Q_EMIT view->action(controlId);
    });
}

void HeldDialog::closeBox()
{
    if (view)
        view->close();
}

std::unique_ptr<DialogView> ScriptedMessages::openSendMessage(DialogOwner owner, SendMessageFields &fields)
{
    auto record = std::make_shared<MessageDialogRecord>();
    record->owner = owner;
    record->shownTo = fields.m_to;
    record->shownMessage = fields.m_message;
    record->sendFields = &fields;
    return open(QStringLiteral("send"), record,
                QStringLiteral("send|%1|%2|%3").arg(ownerName(owner), fields.m_to, fields.m_message),
                sendScript.isEmpty() ? SendStep{} : sendScript.takeFirst());
}

std::unique_ptr<DialogView> ScriptedMessages::openReceivedMessage(ReceivedMessageFields &fields)
{
    auto record = std::make_shared<MessageDialogRecord>();
    record->shownTo = fields.m_from;
    record->shownMessage = fields.m_message;
    return open(QStringLiteral("received"), record,
                QStringLiteral("received|%1|%2").arg(fields.m_from, fields.m_message),
                {receivedScript.isEmpty() ? Step::Ok : receivedScript.takeFirst(), std::nullopt});
}

std::unique_ptr<DialogView> ScriptedMessages::open(const QString &kind,
                                                   std::shared_ptr<MessageDialogRecord> record,
                                                   const QString &line, SendStep step)
{
    auto view = hold(kind, record, line);
    if (step.typed)
        record->type(*step.typed);
    if (step.step != Step::Hold)
        record->press(static_cast<int>(step.step));
    return view;
}

int ScriptedMessages::openCount() const
{
    return static_cast<int>(
        std::count_if(dialogs.cbegin(), dialogs.cend(), [](const auto &d) { return d->open; }));
}

} // namespace quibo::test
