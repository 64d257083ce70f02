#include "ScriptedRegistration.h"

namespace quibo::test {

std::unique_ptr<DialogView> ScriptedRegistration::open(const QString &kind,
                                                       std::shared_ptr<FormDialogRecord> record)
{
    log.append(kind);
    dialogs.append(record);
    return std::make_unique<ScriptedDialogView>(std::move(record));
}

std::unique_ptr<DialogView> ScriptedRegistration::openRegistration(RegistrationFields &fields)
{
    auto record = std::make_shared<FormDialogRecord>();
    record->registration = &fields;
    return open(QStringLiteral("registration"), std::move(record));
}

QCoro::Task<> ScriptedRegistration::showHandleInUse()
{
    log.append(QStringLiteral("handle-in-use"));
    co_return;
}

std::unique_ptr<DialogView> ScriptedRegistration::openChangeInfo(ChangeInfoFields &fields)
{
    auto record = std::make_shared<FormDialogRecord>();
    record->change = &fields;
    record->shownChange = fields;
    return open(QStringLiteral("change-info"), std::move(record));
}

std::shared_ptr<FormDialogRecord> ScriptedRegistration::last() const
{
    return dialogs.isEmpty() ? nullptr : dialogs.constLast();
}

} // namespace quibo::test
