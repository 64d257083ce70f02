#pragma once

#include "ports/RegistrationUi.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace quibo {

class CHandleInUseDlg;
class CRegistrationDlg;

// The registration, handle-in-use and change-info dialogs as real windows, each made for one
// showing and deleted when it closes.
class WidgetRegistrationUi : public QObject, public RegistrationUi {
    Q_OBJECT
public:
    // `mainWindow` is the window the change-info dialog is modal to.
    explicit WidgetRegistrationUi(QWidget *mainWindow = nullptr, QObject *parent = nullptr);
    ~WidgetRegistrationUi() override;

    std::unique_ptr<DialogView> openRegistration(RegistrationFields &fields) override;
    QCoro::Task<> showHandleInUse() override;
    std::unique_ptr<DialogView> openChangeInfo(ChangeInfoFields &fields) override;

private:
    QPointer<QWidget> m_mainWindow;
    QPointer<CRegistrationDlg> m_registration; // the open registration dialog, if any
    QPointer<CHandleInUseDlg> m_handleInUse;
};

} // namespace quibo
