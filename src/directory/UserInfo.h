#pragma once

#include "base/Limits.h"
#include "directory/DirectoryClient.h"
#include "ports/UserInfo.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

namespace quibo {

// The record's fields in line order, with their bounds.
struct UserInfoField {
    QString UserInfo::*member;
    qsizetype maxBytes;  // longest value, in UTF-8 bytes
    qsizetype readLimit; // bytes read back per line, line end included
};

inline constexpr std::array<UserInfoField, 10> userInfoFields{{
    {&UserInfo::password, limits::PasswordBytes, limits::PasswordBytes + 1},
    {&UserInfo::firstName, limits::NameBytes, limits::NameBytes + 1},
    {&UserInfo::lastName, limits::NameBytes, limits::NameBytes + 1},
    {&UserInfo::email, limits::EmailBytes, limits::EmailBytes + 1},
    {&UserInfo::city, limits::PlaceBytes, limits::PlaceBytes + 1},
    {&UserInfo::state, limits::PlaceBytes, limits::PlaceBytes + 1},
    {&UserInfo::country, limits::CountryBytes, limits::CountryBytes + 1},
    {&UserInfo::sex, limits::SexBytes, limits::SexBytes + 1},
    {&UserInfo::age, limits::AgeBytes, limits::AgeBytes + 1},
    {&UserInfo::personalInfo, limits::PersonalInfoBytes, limits::PersonalInfoBytes + 1},
}};

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
