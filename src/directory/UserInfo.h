#pragma once

#include "directory/DirectoryClient.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

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

struct UserInfoField {
    QString UserInfo::*member;
    qsizetype maxBytes;  // longest value, in UTF-8 bytes
    qsizetype readLimit; // bytes read back per line, line end included
};

inline constexpr std::array<UserInfoField, 10> userInfoFields{{
    {&UserInfo::password, 10, 11},
    {&UserInfo::firstName, 30, 31},
    {&UserInfo::lastName, 30, 31},
    {&UserInfo::email, 64, 65},
    {&UserInfo::city, 30, 31},
    {&UserInfo::state, 30, 31},
    {&UserInfo::country, 25, 26},
    {&UserInfo::sex, 6, 7},
    {&UserInfo::age, 3, 4},
    {&UserInfo::personalInfo, 100, 101},
}};

inline constexpr qsizetype maxHandleBytes = 10;

// Each field cut to its limit without splitting a character, with control characters
// (line breaks above all) turned into spaces: one value is one line of "userinfo.dat".
UserInfo cleanedUserInfo(UserInfo info);

// "userinfo.dat": the cleaned fields in order, each ended by CR LF.
QByteArray encodeUserInfoFile(const UserInfo &info);
// Reads the ten lines back with their read limits: a longer line spills into the next field.
// Fields past the end of the file are empty.
UserInfo decodeUserInfoFile(const QByteArray &bytes);

// The fields in request order, for the directory's register.cgi.
UserInfoFields requestFields(const UserInfo &info);

// File access under an absolute path. Writing replaces the whole file or nothing.
bool writeUserInfoFile(const QString &path, const UserInfo &info);
std::optional<UserInfo> readUserInfoFile(const QString &path);

} // namespace quibo
