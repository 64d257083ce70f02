#include "ScriptedRegistration.h"

#include <QTimer>

namespace quibo::test {

void FormDialogRecord::press(int controlId)
{
    if (!view)
        return;
    QTimer::singleShot(0, view.data(), [record = this, controlId] {
        if (record->open && record->buttonsEnabled && record->view)
            Q_EMIT record->view->action(controlId);
    });
}

void FormDialogRecord::closeBox()
{
    if (view)
        view->close();
}

ScriptedFormView::ScriptedFormView(std::shared_ptr<FormDialogRecord> record) : m_record(std::move(record))
{
    m_record->view = this;
}

ScriptedFormView::~ScriptedFormView()
{
    m_record->open = false;
}

void ScriptedFormView::close()
{
    if (!m_record->open)
        return;
    m_record->open = false;
    Q_EMIT action(Closed);
}

void ScriptedFormView::setButtonsEnabled(bool enabled)
{
    m_record->buttonsEnabled = enabled;
    if (enabled)
        ++m_record->enableCount;
}

std::unique_ptr<DialogView> ScriptedRegistration::open(std::shared_ptr<FormDialogRecord> record)
{
    log.append(record->kind);
    dialogs.append(record);
    return std::make_unique<ScriptedFormView>(std::move(record));
}

std::unique_ptr<DialogView> ScriptedRegistration::openRegistration(RegistrationFields &fields)
{
    auto record = std::make_shared<FormDialogRecord>();
    record->kind = QStringLiteral("registration");
    record->registration = &fields;
    return open(std::move(record));
}

QCoro::Task<> ScriptedRegistration::showHandleInUse()
{
    log.append(QStringLiteral("handle-in-use"));
    co_return;
}

std::unique_ptr<DialogView> ScriptedRegistration::openChangeInfo(ChangeInfoFields &fields)
{
    auto record = std::make_shared<FormDialogRecord>();
    record->kind = QStringLiteral("change-info");
    record->change = &fields;
    record->shownChange = fields;
    return open(std::move(record));
}

std::shared_ptr<FormDialogRecord> ScriptedRegistration::last() const
{
    return dialogs.isEmpty() ? nullptr : dialogs.constLast();
}

} // namespace quibo::test
