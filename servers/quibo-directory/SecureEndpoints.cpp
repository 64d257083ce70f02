#include "SecureEndpoints.h"

#include "DirectoryRules.h"
#include "Passwords.h"

#include <QtGlobal>

using namespace Qt::StringLiterals;

namespace quibo::directory {

namespace {

Reply word(int status, const char *text)
{
    return {status, QByteArrayLiteral("text/plain; charset=utf-8"), QByteArray(text)};
}

Reply pairs(const QList<std::pair<QByteArray, QByteArray>> &values)
{
    return {200, QByteArrayLiteral("text/plain; charset=utf-8"), keyValueText(values)};
}

Reply unavailable(const StoreError &error)
{
    qWarning("quibo-directory: database failure: %s", error.what());
    return word(503, "unavailable");
}

// Neither the password nor its hash ever goes into the log; the handle is quoted, and a
// registered handle holds no line end.
void logLine(const QString &text)
{
    qWarning("quibo-directory: %s", qUtf8Printable(text));
}

QString field(const Query &form, QStringView key)
{
    return form.value(key).value_or(QString());
}

// The nine personal fields, cleaned and cut as the classic registration keeps them.
UserInfo personalData(const Query &form)
{
    UserInfo info;
    for (const UserField &userField : userFields) {
        if (userField.member != &UserInfo::password)
            info.*userField.member = cleanInfoField(field(form, userField.key), userField.maxBytes);
    }
    return info;
}

bool hasEmail(const UserInfo &info)
{
    return !info.email.trimmed().isEmpty();
}

} // namespace

SecureEndpoints::SecureEndpoints(DirectoryStore &store, bool classicOpen)
    : m_store(store), m_classicOpen(classicOpen)
{
}

Reply SecureEndpoints::handle(QStringView name, const Target &target, const Request &request) const
{
    if (!request.overTls)
        return word(403, "use https");
    const bool read = name == u"hello"_s || name == u"lookup"_s;
    const bool write = name == u"register"_s || name == u"publish"_s || name == u"info"_s || name == u"key"_s;
    if (!read && !write)
        return word(404, "not found");
    if (read == request.post)
        return word(405, "method");
    if (name == u"hello"_s)
        return hello(request);
    if (read) {
        const std::optional<Query> query = Query::parse(target.query);
        return query ? lookUp(*query) : word(400, "bad request");
    }
    const std::optional<Query> form = Query::parseForm(request.body);
    if (!form)
        return word(400, "bad request");
    if (name == u"register"_s)
        return registerAccount(*form, request);
    if (name == u"publish"_s)
        return publish(*form, request);
    if (name == u"info"_s)
        return changeInfo(*form, request);
    return bindKey(*form, request);
}

Reply SecureEndpoints::hello(const Request &request) const
{
    return pairs({{"service", "quibo-directory"},
                  {"version", "1"},
                  {"observed", request.source.toUtf8()},
                  {"classic", m_classicOpen ? "open" : "closed"}});
}

Reply SecureEndpoints::lookUp(const Query &query) const
{
    const QString handle = field(query, u"id");
    if (handle == loopBackHandle)
        return pairs({{"address", loopBackAddress.toUtf8()},
                      {"secure", "0"},
                      {"fingerprint", {}},
                      {"address6", {}},
                      {"ports", {}}});
    try {
        const std::optional<Contact> contact = m_store.contact(handle);
        if (!contact)
            return word(404, "unknown");
        return pairs({{"address", contact->address.toUtf8()},
                      {"secure", contact->secure ? "1" : "0"},
                      {"fingerprint", contact->keyFingerprint},
                      {"address6", contact->address6.toUtf8()},
                      {"ports", contact->ports.toUtf8()}});
    } catch (const StoreError &error) {
        return unavailable(error);
    }
}

Reply SecureEndpoints::registerAccount(const Query &form, const Request &request) const
{
    const QString handle = field(form, u"id");
    const QString password = field(form, u"password");
    const UserInfo info = personalData(form);
    if (handle == loopBackHandle)
        return word(409, "taken");
    if (handleProblem(handle) || passwordProblem(password) || !hasEmail(info) || request.clientKey.isEmpty())
        return word(400, "bad request");
    try {
        // Taken handles are refused before the slow hash.
        if (m_store.address(handle))
            return word(409, "taken");
        const QByteArray hashed = passwords::hash(password);
        if (hashed.isEmpty())
            return word(503, "unavailable");
        if (!m_store.addSecure(handle, info, hashed, request.clientKey))
            return word(409, "taken");
        return word(200, "ok");
    } catch (const StoreError &error) {
        return unavailable(error);
    }
}

Reply SecureEndpoints::publish(const Query &form, const Request &request) const
{
    Published published{field(form, u"ip"), {}, {}};
    // "ip=0" logs off and clears the rest; an empty ip publishes IPv6 alone.
    if (published.address != u"0"_s) {
        const QString address6 = field(form, u"ip6");
        const QString ports = field(form, u"ports");
        const std::optional<QString> global = address6.isEmpty() ? QString() : publishableIPv6(address6, request.source);
        const std::optional<QString> portTexts = ports.isEmpty() ? QString() : portList(ports);
        if (!global || !portTexts)
            return word(400, "bad request");
        published.address6 = *global;
        published.ports = *portTexts;
        if (published.address.isEmpty() && !published.address6.isEmpty())
            published.address = u"0"_s;
    }
    if (!isPublishableAddress(published.address))
        return word(400, "bad request");
    return ownWrite(request,
                    [&] { return m_store.setSecureAddress(field(form, u"id"), request.clientKey, published); });
}

Reply SecureEndpoints::changeInfo(const Query &form, const Request &request) const
{
    const UserInfo info = personalData(form);
    if (!hasEmail(info))
        return word(400, "bad request");
    return ownWrite(request, [&] { return m_store.setSecureInfo(field(form, u"id"), request.clientKey, info); });
}

Reply SecureEndpoints::ownWrite(const Request &request, const std::function<WriteOutcome()> &write) const
{
    if (request.clientKey.isEmpty())
        return word(401, "unauthorized");
    try {
        switch (write()) {
        case WriteOutcome::Written:
            return word(200, "ok");
        case WriteOutcome::Unknown:
            return word(404, "unknown");
        case WriteOutcome::Refused:
            break;
        }
        return word(401, "unauthorized");
    } catch (const StoreError &error) {
        return unavailable(error);
    }
}

Reply SecureEndpoints::bindKey(const Query &form, const Request &request) const
{
    const QString handle = field(form, u"id");
    const QString password = field(form, u"password");
    auto begun = m_guesses.begin(handle, request.source, GuessLimiter::Clock::now());
    if (const auto *wait = std::get_if<GuessLimiter::Seconds>(&begun)) {
        Reply reply = word(429, "wait");
        reply.retryAfterSeconds = static_cast<int>(wait->count());
        return reply;
    }
    GuessLimiter::Attempt &attempt = std::get<GuessLimiter::Attempt>(begun);
    if (request.clientKey.isEmpty())
        return word(401, "unauthorized");
    try {
        const std::optional<Account> account = m_store.account(handle);
        if (!account)
            return word(404, "unknown");
        bool proven = false;
        bool stored = false;
        if (!account->secure) {
            proven = passwords::sameClassic(account->info.password, password);
            if (proven) {
                const QByteArray hashed = passwords::hash(password);
                if (hashed.isEmpty())
                    return word(503, "unavailable");
                stored = m_store.makeSecure(handle, account->info.password, hashed, request.clientKey);
            }
        } else {
            proven = passwords::matches(account->passwordHash, password);
            stored = proven && m_store.replaceKey(handle, account->passwordHash, request.clientKey);
        }
        if (!proven) {
            const auto [failures, delay] = attempt.failed(GuessLimiter::Clock::now());
            logLine(u"wrong password for \"%1\" from %2: failure %3, held back %4 s"_s.arg(handle, request.source)
                        .arg(failures)
                        .arg(delay.count()));
            return word(401, "unauthorized");
        }
        attempt.succeeded();
        // Another request changed the account between reading and writing it.
        if (!stored)
            return word(409, "changed");
        logLine(u"\"%1\" %2 from %3"_s.arg(handle, account->secure ? u"has a new key"_s : u"became secure"_s,
                                            request.source));
        return word(200, "ok");
    } catch (const StoreError &error) {
        return unavailable(error);
    }
}

} // namespace quibo::directory
