#include "directory/Pages.h"

#include "base/AtomicFile.h"
#include "base/DottedAddress.h"
#include "base/WorkingDirectory.h"

#include <QStringList>

#include <initializer_list>

namespace quibo::pages {

namespace {

// A piece of a page: every "\n" of the template becomes CR LF, and each "%s" takes the next
// value, unaltered. Values are not scanned, so a "%s" or a line break in one stays as it is.
QByteArray piece(QByteArrayView text, std::initializer_list<QString> values = {})
{
    QByteArray out;
    auto next = values.begin();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == '\n') {
            out += "\r\n";
        } else if (c == '%' && i + 1 < text.size() && text.at(i + 1) == 's') {
            Q_ASSERT(next != values.end());
            out += next->toUtf8();
            ++next;
            ++i;
        } else {
            out += c;
        }
    }
    Q_ASSERT(next == values.end());
    return out;
}

// The value's piece, or the "N/A" form of the piece when the value is empty.
QByteArray pieceOrNotAvailable(QByteArrayView text, QByteArrayView notAvailable, const QString &value)
{
    return value.isEmpty() ? piece(notAvailable) : piece(text, {value});
}

} // namespace

QByteArray userInfoPage(UserInfoForm form, const QString &handle, const UserInfo &info,
                        const QString &directoryOrigin)
{
    const QString footer = directoryOrigin + QStringLiteral("/Quibo/footer.cgi");
    const QString banner = directoryOrigin + QStringLiteral("/Quibo/banner.cgi");
    QByteArray page;
    page += piece("<html>\n<head>\n<title> Quibo32 - %s's User Info</title>\n</head>\n", {handle});
    page += piece("<body BACKGROUND=\"bg.gif\" BGCOLOR=\"#f5f5f5\">");
    if (form == UserInfoForm::Registration)
        page += piece("<CENTER>\n<font color=\"blue\" size=\"3\"> <b>User Info For <font "
                      "color=\"black\">%s</font></b> </font>\n<BR><BR>",
                      {handle});
    else
        page += piece("<CENTER>\n<font color=\"blue\" size=\"3\"> <b>User Info For <font "
                      "color=\"black\">%s</b>\n<BR><BR>",
                      {handle});
    page += pieceOrNotAvailable("<font color=\"blue\" size=\"2\">Name: <font color=\"black\">%s ",
                                "<font color=\"blue\" size=\"2\">Name: <font color=\"black\">N/A ",
                                info.firstName);
    page +=
        pieceOrNotAvailable("%s&nbsp;&nbsp;&nbsp;&nbsp;\n", "N/A&nbsp;&nbsp;&nbsp;&nbsp;\n", info.lastName);
    page += piece("<a href=\"mailto:%s\">%s</a><BR><BR>\n", {info.email, info.email});
    page += pieceOrNotAvailable("<font color=\"blue\">City:<font color=\"black\"> %s &nbsp;&nbsp;&nbsp;",
                                "<font color=\"blue\">City:<font color=\"black\"> N/A &nbsp;&nbsp;&nbsp;",
                                info.city);
    page += pieceOrNotAvailable("<font color=\"blue\">State:<font color=\"black\"> %s&nbsp;&nbsp;&nbsp;",
                                "<font color=\"blue\">State:<font color=\"black\"> N/A&nbsp;&nbsp;&nbsp;",
                                info.state);
    page += pieceOrNotAvailable("<font color=\"blue\">Country:<font color=\"black\"> %s<BR><BR>\n",
                                "<font color=\"blue\">Country:<font color=\"black\"> N/A<BR><BR>\n",
                                info.country);
    page += pieceOrNotAvailable("<font color=\"blue\">Sex: <font color=\"black\">%s &nbsp;&nbsp;&nbsp;",
                                "<font color=\"blue\">Sex: <font color=\"black\">N/A &nbsp;&nbsp;&nbsp;",
                                info.sex);
    page += pieceOrNotAvailable("<font color=\"blue\">Age:<font color=\"black\"> %s<BR><BR>\n",
                                "<font color=\"blue\">Age:<font color=\"black\"> N/A<BR><BR>\n", info.age);
    page += piece("<font color=\"blue\">Personal Interests, Hobbies, Etc.<BR>\n<font color=\"black\">%s\n",
                  {info.personalInfo});
    page += piece("<BR><BR><HR>\n<a href=\"index.htm\"> Go To My Web Page</a><BR><BR>");
    page += piece("<a href=\"%s\">", {footer});
    page +=
        piece("<img src=\"%s\" border=\"0\" width=\"400\" height=\"40\" alt=\"Click Here\"></a>", {banner});
    page += piece("\n</CENTER>\n</body></HTML>");
    return page;
}

QByteArray personalWebPage(const QString &handle)
{
    QByteArray page;
    page += piece("<html>\n<head>\n<title> Quibo32 - %s's Web Site</title>\n</head>\n", {handle});
    page += piece("<body BACKGROUND=\"bg.gif\" BGCOLOR=\"#f5f5f5\">");
    page += piece("<BR><BR><CENTER><font color=\"blue\"><b>");
    page += piece("%s's <font color=\"black\">Web Site Is Under Construction", {handle});
    page += piece("<BR><BR><a href=\"userinfo.htm\">View My User Info</a>");
    page += piece("</b></font></CENTER></body></html>");
    return page;
}

QByteArray redirectPage(const QString &target)
{
    QByteArray page;
    page += piece("<html>\n<head>\n");
    page += piece("<meta http-equiv = \"refresh\" content = \" 1 ; URL=%s\">\n", {target});
    page += piece("</head>\n<body>\n<script language=\"Javascript\">\n");
    page += piece("location = \"%s\"</script>\n", {target});
    page += piece("<center>Connecting To Quibo32 Web Site ..<BR><BR>\n");
    page += piece("If Your Browser Doesn't Support Redirection\n");
    page += piece("<a href=\"%s\">Click Here</a>\n</body>", {target});
    return page;
}

std::optional<QString> contactPageAddress(const QString &contactAddress, ContactPage page)
{
    if (!isDottedIPv4(contactAddress))
        return std::nullopt;
    const QString file =
        page == ContactPage::WebPage ? QStringLiteral("/index.htm") : QStringLiteral("/userinfo.htm");
    return QStringLiteral("http://") + contactAddress + file;
}

bool writeUserInfoPage(const WorkingDirectory &dir, UserInfoForm form, const QString &handle,
                       const UserInfo &info, const QString &directoryOrigin)
{
    return writeFileAtomically(dir.file(userInfoFile.toString()),
                               userInfoPage(form, handle, info, directoryOrigin));
}

bool writePersonalWebPage(const WorkingDirectory &dir, const QString &handle)
{
    return writeFileAtomically(dir.file(webPageFile.toString()), personalWebPage(handle));
}

bool writeRedirectPage(const WorkingDirectory &dir, const QString &target)
{
    return writeFileAtomically(dir.file(redirectFile.toString()), redirectPage(target));
}

} // namespace quibo::pages
