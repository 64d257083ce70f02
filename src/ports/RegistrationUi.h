#pragma once

#include "ports/DialogView.h"
#include "ports/UserInfo.h"

#include <QCoro/QCoroTask>
#include <QString>

#include <memory>

namespace quibo {

// The data members of the registration dialog: the handle and the ten fields.
struct RegistrationFields {
    QString handle;
    UserInfo info;
};

// The data members of the change-info dialog. The handle and the address are only shown;
// info.password rides along in a hidden control and comes back unchanged.
struct ChangeInfoFields {
    QString handle;
    QString address;
    UserInfo info;
};

// The registration, handle-in-use and change-info dialogs. The dialogs write every edit into
// the fields they were opened over; refresh() shows fields changed from elsewhere.
class RegistrationUi {
public:
    static constexpr int RegisterButton = 1; // "&Register"
    static constexpr int ChangeButton = 1;   // "C&hange"
    static constexpr int CancelButton = 2;   // "&Cancel"

    virtual ~RegistrationUi() = default;
    // "Quibo32 - Registration", shown at the first logon: actions RegisterButton and CancelButton.
    virtual std::unique_ptr<DialogView> openRegistration(RegistrationFields &fields) = 0;
    // "Sorry, That Handle Is Already Being Used." over the registration dialog; completes when
    // the user closes it.
    virtual QCoro::Task<> showHandleInUse() = 0;
    // "Quibo32 - Change Your Info", window-modal to the main window: actions ChangeButton and
    // CancelButton.
    virtual std::unique_ptr<DialogView> openChangeInfo(ChangeInfoFields &fields) = 0;
};

} // namespace quibo
