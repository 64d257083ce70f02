#include "directory/widgets/WidgetRegistrationUi.h"

#include "directory/widgets/CChangeInfoDlg.h"
#include "directory/widgets/CHandleInUseDlg.h"
#include "directory/widgets/CRegistrationDlg.h"

namespace quibo {

WidgetRegistrationUi::WidgetRegistrationUi(QWidget *mainWindow, QObject *parent)
    : QObject(parent), m_mainWindow(mainWindow)
{
}

WidgetRegistrationUi::~WidgetRegistrationUi()
{
    delete m_handleInUse.data();
}

std::unique_ptr<DialogView> WidgetRegistrationUi::openRegistration(RegistrationFields &fields)
{
    auto *dialog = new CRegistrationDlg;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFields(fields);
    placeDialog(*dialog, DialogOwner::Desktop, m_mainWindow);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    m_registration = dialog;
    return std::make_unique<FormDialogView>(dialog);
}

QCoro::Task<> WidgetRegistrationUi::showHandleInUse()
{
    // Modal to the registration dialog it answers, when that is still open.
    auto *dialog = new CHandleInUseDlg(m_registration);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(m_registration ? Qt::WindowModal : Qt::NonModal);
    m_handleInUse = dialog;
    dialog->show();
    co_await untilClosed(this, dialog);
}

std::unique_ptr<DialogView> WidgetRegistrationUi::openChangeInfo(ChangeInfoFields &fields)
{
    auto *dialog = new CChangeInfoDlg;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFields(fields);
    placeDialog(*dialog, DialogOwner::MainWindow, m_mainWindow);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return std::make_unique<FormDialogView>(dialog);
}

} // namespace quibo
