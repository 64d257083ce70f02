#include "FileVersions.h"

#include "contacts/ContactsFile.h"
#include "directory/UserInfo.h"
#include "directory/WorkingFiles.h"

namespace quibo::test {

namespace {

QStringList contactsOf(int n)
{
    QStringList handles;
    for (int i = 0; i < 3 + n % 40; ++i)
        handles.append(QStringLiteral("c%1x%2").arg(n % 1000).arg(i));
    return handles;
}

UserInfo userInfoOf(int n)
{
    UserInfo info;
    info.password = QStringLiteral("pw%1").arg(n % 100000);
    info.firstName = QStringLiteral("Ann");
    info.email = QStringLiteral("ann%1@example.org").arg(n);
    info.personalInfo = QString(n % 50, u'x');
    return info;
}

QString handleOf(int n)
{
    return QStringLiteral("h%1").arg(n % 100000);
}

// The number after the first `prefix` in `bytes`, which names the version to compare with.
std::optional<int> numberAfter(const QByteArray &bytes, const QByteArray &prefix)
{
    const qsizetype at = bytes.indexOf(prefix);
    if (at < 0)
        return std::nullopt;
    qsizetype end = at + prefix.size();
    while (end < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes.at(end))))
        ++end;
    bool ok = false;
    const int n = bytes.mid(at + prefix.size(), end - at - prefix.size()).toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

} // namespace

bool FileVersions::write(const WorkingDirectory &dir, int n)
{
    ContactsFile contacts(dir);
    return contacts.rewrite(contacts_file::format(contactsOf(n))) &&
           writeUserInfoFile(dir.file(working_files::UserInfo), userInfoOf(n)) &&
           writeSettingsFile(dir, handleOf(n));
}

std::optional<int> FileVersions::contactsVersion(const QByteArray &bytes)
{
    // The names carry n % 1000, which makes the same file as n.
    const std::optional<int> n = numberAfter(bytes, "c");
    if (n && contacts_file::format(contactsOf(*n)) == bytes)
        return n;
    return std::nullopt;
}

std::optional<int> FileVersions::userInfoVersion(const QByteArray &bytes)
{
    const std::optional<int> n = numberAfter(bytes, "ann");
    if (n && encodeUserInfoFile(userInfoOf(*n)) == bytes)
        return n;
    return std::nullopt;
}

std::optional<int> FileVersions::settingsVersion(const QByteArray &bytes)
{
    const std::optional<int> n = numberAfter(bytes, "h");
    if (n && handleOf(*n).toUtf8() + "\r\n" == bytes)
        return n;
    return std::nullopt;
}

} // namespace quibo::test
