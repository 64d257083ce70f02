#pragma once

#include "base/WorkingDirectory.h"
#include "contacts/ContactsFile.h"
#include "directory/UserInfo.h"
#include "directory/WorkingFiles.h"

#include <QRegularExpression>

namespace quibo::test {

inline UserInfo userInfoVersion(int n)
{
    UserInfo info;
    info.password = QStringLiteral("pw%1").arg(n);
    info.firstName = QStringLiteral("Ann");
    info.personalInfo = QString(n % 50, u'x');
    return info;
}

// Version `n` of "contacts.dat", "userinfo.dat" and "settings", whose first number is n. The
// versions differ in content and length, so a cut file matches none.
inline QByteArray fileVersion(const QString &name, int n)
{
    if (name == working_files::Settings)
        return QStringLiteral("h%1\r\n").arg(n).toUtf8();
    if (name == working_files::UserInfo)
        return encodeUserInfoFile(userInfoVersion(n));
    QStringList handles;
    for (int i = 0; i < 3 + n % 40; ++i)
        handles.append(QStringLiteral("c%1x%2").arg(n).arg(i));
    return contacts_file::format(handles);
}

// Writes version `n` of all three through the client's own write paths.
inline bool writeFileVersions(const WorkingDirectory &dir, int n)
{
    return ContactsFile(dir).rewrite(fileVersion(contacts_file::FileName, n)) &&
           writeUserInfoFile(dir.file(working_files::UserInfo), userInfoVersion(n)) &&
           writeSettingsFile(dir, QStringLiteral("h%1").arg(n));
}

// The file holds one version whole.
inline bool isWholeVersion(const QString &name, const QByteArray &bytes)
{
    const QRegularExpressionMatch number =
        QRegularExpression(QStringLiteral("\\d+")).match(QString::fromUtf8(bytes));
    return number.hasMatch() && fileVersion(name, number.captured().toInt()) == bytes;
}

} // namespace quibo::test
