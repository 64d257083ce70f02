#include "consent/widgets/WidgetConsentUi.h"

#include "consent/widgets/CAddContactDlg.h"
#include "consent/widgets/CManageContactsDlg.h"
#include "consent/widgets/CRequestToAddDlg.h"

namespace quibo {

namespace {
template <typename Dialog, typename Fields> std::unique_ptr<DialogView> show(Dialog *dialog, Fields &fields)
{
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFields(fields);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return std::make_unique<FormDialogView>(dialog);
}
} // namespace

WidgetConsentUi::WidgetConsentUi(QWidget *mainWindow, QObject *parent)
    : QObject(parent), m_mainWindow(mainWindow)
{
}

std::unique_ptr<DialogView> WidgetConsentUi::openManageContacts(ManageContactsFields &fields)
{
    auto *dialog = new CManageContactsDlg;
    placeDialog(*dialog, DialogOwner::MainWindow, m_mainWindow);
    m_manage = dialog;
    return show(dialog, fields);
}

std::unique_ptr<DialogView> WidgetConsentUi::openAddContact(AddContactFields &fields)
{
    // Modal to the Manage Contacts window it was opened from.
    auto *dialog = new CAddContactDlg(m_manage);
    dialog->setWindowModality(m_manage ? Qt::WindowModal : Qt::NonModal);
    return show(dialog, fields);
}

std::unique_ptr<DialogView> WidgetConsentUi::openRequestToAdd(RequestToAddFields &fields)
{
    auto *dialog = new CRequestToAddDlg;
    placeDialog(*dialog, DialogOwner::Desktop, m_mainWindow);
    return show(dialog, fields);
}

} // namespace quibo
