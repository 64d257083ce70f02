#pragma once

#include "ports/ConsentUi.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace quibo {

class CManageContactsDlg;

// The Manage Contacts, Add Contact and Request To Add dialogs as real windows, each made for
// one showing and deleted when it closes.
class WidgetConsentUi : public QObject, public ConsentUi {
    Q_OBJECT
public:
    // `mainWindow` is the window Manage Contacts is modal to.
    explicit WidgetConsentUi(QWidget *mainWindow = nullptr, QObject *parent = nullptr);

    std::unique_ptr<DialogView> openManageContacts(ManageContactsFields &fields) override;
    std::unique_ptr<DialogView> openAddContact(AddContactFields &fields) override;
    std::unique_ptr<DialogView> openRequestToAdd(RequestToAddFields &fields) override;

private:
    QPointer<QWidget> m_mainWindow;
    QPointer<CManageContactsDlg> m_manage; // the open Manage Contacts window, if any
};

} // namespace quibo
