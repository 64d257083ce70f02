#pragma once

#include "base/Limits.h"

#include <QString>

#include <array>

namespace quibo::directory {

// What register.cgi stores for a handle, in the order the request carries the fields.
struct UserInfo {
    QString password;
    QString first;
    QString last;
    QString email;
    QString city;
    QString state;
    QString country;
    QString sex;
    QString age;
    QString persinfo;
};

struct UserField {
    const char16_t *key; // query key of register.cgi
    qsizetype maxBytes;  // longest value kept, in UTF-8 bytes
    QString UserInfo::*member;
};

// The same limits as the client's edit boxes.
inline constexpr std::array<UserField, 10> userFields{{
    {u"password", limits::PasswordBytes, &UserInfo::password},
    {u"first", limits::NameBytes, &UserInfo::first},
    {u"last", limits::NameBytes, &UserInfo::last},
    {u"email", limits::EmailBytes, &UserInfo::email},
    {u"city", limits::PlaceBytes, &UserInfo::city},
    {u"state", limits::PlaceBytes, &UserInfo::state},
    {u"country", limits::CountryBytes, &UserInfo::country},
    {u"sex", limits::SexBytes, &UserInfo::sex},
    {u"age", limits::AgeBytes, &UserInfo::age},
    {u"persinfo", limits::PersonalInfoBytes, &UserInfo::persinfo},
}};

} // namespace quibo::directory
