#include "DirectoryService.h"

#include "DirectoryRules.h"

#include <QtGlobal>

using namespace Qt::StringLiterals;

namespace quibo::directory {

namespace {

const QByteArray textType = QByteArrayLiteral("text/plain; charset=utf-8");
const QByteArray htmlType = QByteArrayLiteral("text/html; charset=utf-8");

Reply text(int status, const QByteArray &body)
{
    return {status, textType, body};
}

Reply page(int status, const QString &message)
{
    return {status, htmlType, errorPage(status, message)};
}

// The client takes any reply to readit.cgi other than "0" for an address, so every
// failure there answers "0" too.
Reply noAddress(int status)
{
    return text(status, QByteArrayLiteral("0"));
}

Reply unavailable(const StoreError &error)
{
    qWarning("quibo-directory: database failure: %s", error.what());
    return page(503, u"The directory is not available at the moment. Please try again later."_s);
}

} // namespace

DirectoryService::DirectoryService(DirectoryStore &store, QByteArray banner, bool secureOnly)
    : m_store(store), m_banner(std::move(banner)), m_secureOnly(secureOnly), m_secure(store, !secureOnly)
{
}

Reply DirectoryService::handle(const Request &request) const
{
    const std::optional<Target> target = splitTarget(request.target);
    if (!target)
        return page(400, u"The request is not valid."_s);
    if (target->path.startsWith(u"/secure/"_s))
        return m_secure.handle(QStringView(target->path).sliced(8), *target, request);
    if (request.post)
        return page(404, u"There is nothing here."_s);
    return classic(*target);
}

Reply DirectoryService::classic(const Target &target) const
{
    const QString &path = target.path;
    const std::optional<Query> query = Query::parse(target.query);

    if (path == u"/Quibo/footer.cgi"_s)
        return {200, htmlType, footerPage()};
    if (path == u"/Quibo/banner.cgi"_s)
        return {200, QByteArrayLiteral("image/png"), m_banner};
    if (path == u"/ipadd/sysmsg.dat"_s)
        return broadcast();
    // Without a query these are the handle "readit.cgi", which adding a contact and the
    // handle check of registration ask for.
    if (path == u"/ipadd/readit.cgi"_s && !target.hasQuery)
        return lookUp(u"readit.cgi"_s);
    if (path == u"/ipinfo/readit.cgi"_s && !target.hasQuery)
        return userInfo(u"readit.cgi"_s);
    if (path == u"/ipadd/readit.cgi"_s)
        return query ? readAddress(*query) : noAddress(400);
    if (!query)
        return page(400, u"The request is not valid."_s);
    if (path == u"/ipadd/writeip.cgi"_s)
        return writeAddress(*query);
    if (path == u"/ipinfo/readit.cgi"_s)
        return readPassword(*query);
    if (path == u"/ipinfo/register.cgi"_s)
        return registerUser(*query);
    if (path.startsWith(u"/ipadd/"_s))
        return lookUp(path.mid(7));
    if (path.startsWith(u"/ipinfo/"_s))
        return userInfo(path.mid(8));
    if (path == u"/"_s)
        return {200, htmlType, footerPage()};
    return page(404, u"There is nothing here."_s);
}

Reply DirectoryService::broadcast() const
{
    try {
        if (const std::optional<QString> message = m_store.broadcast())
            return text(200, message->toUtf8());
        return page(404, u"There is no broadcast message."_s);
    } catch (const StoreError &error) {
        return unavailable(error);
    }
}

Reply DirectoryService::readAddress(const Query &query) const
{
    const QString handle = query.value(u"id").value_or(QString());
    if (handle == loopBackHandle)
        return text(200, loopBackAddress.toUtf8());
    try {
        if (const std::optional<QString> address = m_store.address(handle))
            return text(200, address->toUtf8());
        return noAddress(404);
    } catch (const StoreError &error) {
        unavailable(error);
        return noAddress(503);
    }
}

Reply DirectoryService::writeAddress(const Query &query) const
{
    const QString handle = query.value(u"id").value_or(QString());
    const QString address = query.value(u"ip").value_or(QString());
    // Anyone may publish for any classic handle: the request carries no password.
    if (m_secureOnly)
        return text(403, QByteArrayLiteral("Refused: this directory takes secure logons only\r\n"));
    if (handle == loopBackHandle)
        return text(403, QByteArrayLiteral("Refused: LoopBack is always 127.0.0.1\r\n"));
    if (!isPublishableAddress(address))
        return text(400, QByteArrayLiteral("Refused: the address must be 0 or a dotted IPv4 address\r\n"));
    try {
        switch (m_store.setAddress(handle, address)) {
        case WriteOutcome::Written:
            return text(200, QByteArrayLiteral("OK\r\n"));
        case WriteOutcome::Unknown:
            break;
        case WriteOutcome::Refused:
            return text(403, QByteArrayLiteral("Refused: the handle logs on through the secure requests\r\n"));
        }
        return text(404, QByteArrayLiteral("Refused: the handle is not registered\r\n"));
    } catch (const StoreError &error) {
        return unavailable(error);
    }
}

Reply DirectoryService::readPassword(const Query &query) const
{
    const QString handle = query.value(u"id").value_or(QString());
    // An error page never equals a password of at most 10 characters on its first line, so
    // the client reports a failed check.
    if (m_secureOnly)
        return page(403, u"This directory takes secure logons only."_s);
    try {
        const std::optional<Account> account = handle == loopBackHandle ? std::nullopt : m_store.account(handle);
        if (!account)
            return page(404, u"No such handle."_s);
        if (account->secure)
            return page(403, u"This handle logs on through the secure requests."_s);
        return text(200, account->info.password.toUtf8() + "\r\n");
    } catch (const StoreError &error) {
        return unavailable(error);
    }
}

Reply DirectoryService::registerUser(const Query &query) const
{
    if (m_secureOnly)
        return text(403, QByteArrayLiteral("Refused: this directory takes secure registrations only\r\n"));
    const QString handle = query.value(u"id").value_or(QString());
    if (const std::optional<QString> problem = handleProblem(handle))
        return text(400, (u"Refused: "_s + *problem + u"\r\n"_s).toUtf8());
    UserInfo info;
    for (const UserField &field : userFields)
        info.*field.member = query.value(field.key).value_or(QString());
    if (const std::optional<QString> problem = passwordProblem(info.password))
        return text(400, (u"Refused: "_s + *problem + u"\r\n"_s).toUtf8());
    for (const UserField &field : userFields) {
        if (field.member != &UserInfo::password)
            info.*field.member = cleanInfoField(info.*field.member, field.maxBytes);
    }
    try {
        switch (m_store.registerUser(handle, info)) {
        case RegisterOutcome::Created:
            return text(200, QByteArrayLiteral("Registered\r\n"));
        case RegisterOutcome::Updated:
            return text(200, QByteArrayLiteral("Updated\r\n"));
        case RegisterOutcome::WrongPassword:
            break;
        }
        return text(403, QByteArrayLiteral("Refused: the handle is registered with another password\r\n"));
    } catch (const StoreError &error) {
        return unavailable(error);
    }
}

Reply DirectoryService::lookUp(const QString &handle) const
{
    if (handle == loopBackHandle)
        return text(200, loopBackAddress.toUtf8());
    try {
        if (const std::optional<QString> address = m_store.address(handle))
            return text(200, address->toUtf8());
        return page(404, u"No such handle."_s);
    } catch (const StoreError &error) {
        return unavailable(error);
    }
}

Reply DirectoryService::userInfo(const QString &handle) const
{
    // The client asks this before registering: anything but a page beginning with "<"
    // makes it pick another handle, which is what a handle we would refuse needs.
    if (handle == loopBackHandle)
        return text(200, QByteArrayLiteral("Handle: LoopBack\r\nThe local client, always at 127.0.0.1\r\n"));
    if (const std::optional<QString> problem = handleProblem(handle))
        return text(403, (u"Handle not available: "_s + *problem + u"\r\n"_s).toUtf8());
    try {
        if (const std::optional<Account> account = m_store.account(handle))
            return text(200, publicInfoText(handle, account->info));
        return page(404, u"No such handle."_s);
    } catch (const StoreError &error) {
        // Saying "free" here could let the client register a handle that is taken.
        unavailable(error);
        return text(503, QByteArrayLiteral("The directory is not available at the moment.\r\n"));
    }
}

} // namespace quibo::directory
