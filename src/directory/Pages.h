#pragma once

#include "directory/UserInfo.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace quibo {

class WorkingDirectory;

// The generated pages, byte for byte, lines ended by CR LF. Values go in as they are, HTML
// markup included: users may dress up their own pages.
namespace pages {

inline constexpr QStringView userInfoFile = u"html/userinfo.htm";
inline constexpr QStringView webPageFile = u"html/index.htm";
inline constexpr QStringView redirectFile = u"webpage.htm";

// Registration and changing one's info differ only in the closing tags of the heading.
enum class UserInfoForm { Registration, Change };

// "html/userinfo.htm". `directoryOrigin` is "http://host[:port]" or "https://..." of the
// directory server, which serves the footer link and the banner.
QByteArray userInfoPage(UserInfoForm form, const QString &handle, const UserInfo &info,
                        const QString &directoryOrigin);
// "html/index.htm", the personal web page.
QByteArray personalWebPage(const QString &handle);
// "webpage.htm", which sends the browser on to `target`.
QByteArray redirectPage(const QString &target);

enum class ContactPage { WebPage, UserInfo };

// "http://" + address + "/index.htm" or "/userinfo.htm"; nullopt unless `contactAddress` is a
// dotted IPv4 address: it comes from the directory server and ends up in a page the browser
// runs, so nothing else is let through.
std::optional<QString> contactPageAddress(const QString &contactAddress, ContactPage page);

// Writing the pages into the working directory, each file whole or not at all.
bool writeUserInfoPage(const WorkingDirectory &dir, UserInfoForm form, const QString &handle,
                       const UserInfo &info, const QString &directoryOrigin);
bool writePersonalWebPage(const WorkingDirectory &dir, const QString &handle);
bool writeRedirectPage(const WorkingDirectory &dir, const QString &target);

} // namespace pages

} // namespace quibo
