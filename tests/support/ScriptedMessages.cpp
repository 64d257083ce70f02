#include "ScriptedMessages.h"

#include "ScriptedUi.h"

#include <QTimer>

namespace quibo::test {

void HeldDialog::press(int controlId)
{
    if (!view)
        return;
    QTimer::singleShot(0, view.data(), [this, controlId] {
        if (open && buttonsEnabled && view)
            Q_EMIT view->action(controlId);
    });
}

void HeldDialog::closeBox()
{
    if (view)
        view->close();
}

ScriptedDialogView::ScriptedDialogView(std::shared_ptr<HeldDialog> record) : m_record(std::move(record))
{
    m_record->view = this;
}

ScriptedDialogView::~ScriptedDialogView()
{
    m_record->open = false;
}

void ScriptedDialogView::close()
{
    if (!m_record->open)
        return;
    m_record->open = false;
    Q_EMIT action(Closed);
}

void ScriptedDialogView::refresh()
{
    ++m_record->refreshCount;
    m_record->refreshed();
}

void ScriptedDialogView::setButtonsEnabled(bool enabled)
{
    m_record->buttonsEnabled = enabled;
    if (enabled)
        ++m_record->enableCount;
}

void MessageDialogRecord::type(const QString &text)
{
    if (open && sendFields)
        sendFields->m_message = text;
}

void MessageDialogRecord::refreshed()
{
    if (sendFields)
        shownTo = sendFields->m_to;
}

std::unique_ptr<DialogView> ScriptedMessages::openSendMessage(DialogOwner owner, SendMessageFields &fields)
{
    auto record = std::make_shared<MessageDialogRecord>();
    record->kind = QStringLiteral("send");
    record->owner = owner;
    record->shownTo = fields.m_to;
    record->shownMessage = fields.m_message;
    record->sendFields = &fields;
    log.append(QStringLiteral("send|%1|%2|%3").arg(ownerName(owner), fields.m_to, fields.m_message));
    return open(record, sendScript.isEmpty() ? SendStep{} : sendScript.takeFirst());
}

std::unique_ptr<DialogView> ScriptedMessages::openReceivedMessage(ReceivedMessageFields &fields)
{
    auto record = std::make_shared<MessageDialogRecord>();
    record->kind = QStringLiteral("received");
    record->shownTo = fields.m_from;
    record->shownMessage = fields.m_message;
    log.append(QStringLiteral("received|%1|%2").arg(fields.m_from, fields.m_message));
    return open(record, {receivedScript.isEmpty() ? Step::Ok : receivedScript.takeFirst(), std::nullopt});
}

std::unique_ptr<DialogView> ScriptedMessages::open(std::shared_ptr<MessageDialogRecord> record, SendStep step)
{
    dialogs.append(record);
    auto view = std::make_unique<ScriptedDialogView>(record);
    if (step.typed)
        record->type(*step.typed);
    switch (step.step) {
    case Step::Hold:
        break;
    case Step::Send:
        record->press(MessageUi::SendButton);
        break;
    case Step::Cancel:
        record->press(MessageUi::CancelButton);
        break;
    case Step::Ok:
        record->press(MessageUi::OkButton);
        break;
    case Step::Reply:
        record->press(MessageUi::ReplyButton);
        break;
    }
    return view;
}

std::shared_ptr<MessageDialogRecord> ScriptedMessages::lastOf(const QString &kind) const
{
    for (auto it = dialogs.crbegin(); it != dialogs.crend(); ++it) {
        if ((*it)->kind == kind)
            return *it;
    }
    return nullptr;
}

int ScriptedMessages::openCount() const
{
    return static_cast<int>(
        std::count_if(dialogs.cbegin(), dialogs.cend(), [](const auto &d) { return d->open; }));
}

} // namespace quibo::test
