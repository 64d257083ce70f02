#pragma once

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
    {u"password", 10, &UserInfo::password},
    {u"first", 30, &UserInfo::first},
    {u"last", 30, &UserInfo::last},
    {u"email", 64, &UserInfo::email},
    {u"city", 30, &UserInfo::city},
    {u"state", 30, &UserInfo::state},
    {u"country", 25, &UserInfo::country},
    {u"sex", 6, &UserInfo::sex},
    {u"age", 3, &UserInfo::age},
    {u"persinfo", 100, &UserInfo::persinfo},
}};

} // namespace quibo::directory
