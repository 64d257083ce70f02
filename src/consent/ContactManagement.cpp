#include "consent/ContactManagement.h"

#include "consent/ContactLookup.h"
#include "contacts/ContactBook.h"
#include "mainwindow/CommandHandlers.h"
#include "notices/Notices.h"

namespace quibo {

ContactManagement::ContactManagement(ContactBook &book, DirectoryClient &directory, Notices &notices,
                                     ConsentUi &ui, CommandHandlers &commands)
    : m_book(book), m_directory(directory), m_notices(notices), m_ui(ui)
{
    commands.add(Command::ManageContacts, [this] { return OpenManageContacts(); });
}

QCoro::Task<> ContactManagement::OpenManageContacts()
{
    if (!m_manageView.open([this] {
            m_manage.items.clear();
            for (const ContactRecord &record : m_book.table().records())
                m_manage.items.append({record.displayHandle, record.online});
            return m_ui.openManageContacts(m_manage);
        }))
        co_return;
    for (;;) {
        const int action = co_await nextAction(*m_manageView.get());
        if (action == ConsentUi::DeleteButton) {
            if (m_manage.selection != -1)
                co_await m_book.DeleteContact(m_manage.selection, DialogOwner::MainWindow);
        } else if (action == ConsentUi::AddButton) {
            co_await runAddDialog();
            m_add.m_contactName.clear();
        } else if (action == ConsentUi::ExitButton) {
            m_manageView->close();
        } else if (action == DialogView::Closed) {
            break;
        }
    }
    m_manageView.reset();
}

QCoro::Task<> ContactManagement::runAddDialog()
{
    if (!m_addView.open([this] { return m_ui.openAddContact(m_add); }))
        co_return;
    for (;;) {
        const int action = co_await nextAction(*m_addView.get());
        if (action == ConsentUi::OkButton) {
            m_addView->setButtonsEnabled(false);
            co_await AddContact(m_add.m_contactName);
            m_addView->close();
        } else if (action == ConsentUi::CancelButton) {
            m_addView->close();
        } else if (action == DialogView::Closed) {
            break;
        }
    }
    m_addView.reset();
}

QCoro::Task<> ContactManagement::AddContact(QString name)
{
    const std::optional<LookupAnswer> answer =
        co_await contact_lookup::fetch(m_directory, m_notices, name, DialogOwner::MainWindow);
    if (!answer)
        co_return;
    if (answer->kind == LookupAnswer::Kind::Unknown) {
        co_await m_notices.showSystemMessage(DialogOwner::MainWindow, QStringLiteral("Invalid Contact Name"),
                                             QString());
        co_return;
    }
    m_book.AppendContactToFile(name);
    const bool online = contact_lookup::isOnlineAddress(answer->address);
    const std::optional<int> index =
        m_book.table().AddContactRecord(name, online ? answer->address : QStringLiteral("0"), online);
    if (!index)
        co_return;
    m_book.table().setKey(*index, answer->secure, answer->fingerprint);
    // Positions in the window's list are table indexes.
    m_manage.items.insert(std::min<qsizetype>(*index, m_manage.items.size()), {name, online});
    if (m_manageView)
        m_manageView->refresh();
}

} // namespace quibo
