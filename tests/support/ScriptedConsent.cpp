#include "ScriptedConsent.h"

namespace quibo::test {

std::unique_ptr<DialogView> ScriptedConsent::record(const QString &kind, const QString &logLine)
{
    auto entry = std::make_shared<ConsentDialogRecord>();
    entry->kind = kind;
    log.append(logLine);
    dialogs.append(entry);
    return std::make_unique<ScriptedDialogView>(std::move(entry));
}

std::unique_ptr<DialogView> ScriptedConsent::openManageContacts(ManageContactsFields &)
{
    return record(QStringLiteral("manage-contacts"), QStringLiteral("manage-contacts"));
}

std::unique_ptr<DialogView> ScriptedConsent::openAddContact(AddContactFields &)
{
    return record(QStringLiteral("add-contact"), QStringLiteral("add-contact"));
}

std::unique_ptr<DialogView> ScriptedConsent::openRequestToAdd(RequestToAddFields &fields)
{
    return record(QStringLiteral("request-to-add"), QStringLiteral("request-to-add ") + fields.m_from);
}

std::shared_ptr<ConsentDialogRecord> ScriptedConsent::open(const QString &kind) const
{
    for (auto it = dialogs.crbegin(); it != dialogs.crend(); ++it)
        if ((*it)->kind == kind && (*it)->open)
            return *it;
    return nullptr;
}

} // namespace quibo::test
