#pragma once

#include <QString>

namespace quibo {

// The user's own record: the same ten fields, in the same order, in the dialogs,
// "userinfo.dat" and the registration request.
struct UserInfo {
    QString password;
    QString firstName;
    QString lastName;
    QString email;
    QString city;
    QString state;
    QString country;
    QString sex;
    QString age;
    QString personalInfo;

    bool operator==(const UserInfo &) const = default;
};

} // namespace quibo
