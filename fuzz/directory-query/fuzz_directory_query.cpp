// Feeds arbitrary requests to the directory server's decoding and endpoints, over a store that
// checks what reaches it: only valid handles, passwords, addresses, keys and bounded fields are
// ever stored, a secure account is written only with its own key, and no reply the client
// takes for an answer looks like an error page. The input is a classic request target, and
// also a form body for each secure request.
#include "FuzzCheck.h"

#include "DirectoryRules.h"
#include "DirectoryService.h"
#include "TlsIdentity.h"
#include "WireFormat.h"

#include <QHash>

#include <algorithm>

using namespace quibo;
using namespace quibo::directory;

namespace {

const QByteArray sueKey = QByteArray(64, 'a');
// Not a hash libsodium can read: checking it fails at once, where a real one takes 0.1 s.
const QByteArray sueHash = QByteArrayLiteral("$argon2id$v=19$m=65536,t=2,p=1$unreadable");

bool hasControl(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

void checkInfo(const UserInfo &info, bool withPassword)
{
    for (const UserField &field : userFields) {
        const QString &value = info.*field.member;
        if (field.member == &UserInfo::password && !withPassword)
            continue;
        FUZZ_CHECK(value.toUtf8().size() <= field.maxBytes && !hasControl(value));
    }
}

class CheckingStore final : public DirectoryStore {
public:
    // `everyHandleTaken`: secure registrations stop before hashing, which is slow on purpose.
    explicit CheckingStore(bool everyHandleTaken) : m_everyHandleTaken(everyHandleTaken)
    {
        Account ann;
        ann.info.password = QStringLiteral("secret");
        ann.address = QStringLiteral("10.0.0.7");
        m_accounts.insert(QStringLiteral("Ann"), ann);
        Account sue;
        sue.secure = true;
        sue.passwordHash = sueHash;
        sue.keyFingerprint = sueKey;
        sue.address = QStringLiteral("10.0.0.8");
        m_accounts.insert(QStringLiteral("Sue"), sue);
    }
    void prepare() override {}
    std::optional<QString> address(const QString &handle) override
    {
        if (m_everyHandleTaken)
            return QStringLiteral("0");
        if (!m_accounts.contains(handle))
            return std::nullopt;
        return m_accounts.value(handle).address;
    }
    std::optional<Contact> contact(const QString &handle) override
    {
        if (!m_accounts.contains(handle))
            return std::nullopt;
        const Account &account = m_accounts[handle];
        return Contact{account.address, account.secure, account.keyFingerprint, {}, {}};
    }
    std::optional<Account> account(const QString &handle) override
    {
        if (!m_accounts.contains(handle))
            return std::nullopt;
        return m_accounts.value(handle);
    }
    RegisterOutcome registerUser(const QString &handle, const UserInfo &info) override
    {
        FUZZ_CHECK(!handleProblem(handle) && !passwordProblem(info.password));
        checkInfo(info, true);
        if (!m_accounts.contains(handle)) {
            m_accounts.insert(handle, Account{false, info, {}, {}, QStringLiteral("0")});
            return RegisterOutcome::Created;
        }
        Account &account = m_accounts[handle];
        if (account.secure || account.info.password != info.password)
            return RegisterOutcome::WrongPassword;
        account.info = info;
        return RegisterOutcome::Updated;
    }
    WriteOutcome setAddress(const QString &handle, const QString &address) override
    {
        FUZZ_CHECK(isPublishableAddress(address) && handle != loopBackHandle);
        if (!m_accounts.contains(handle))
            return WriteOutcome::Unknown;
        if (m_accounts[handle].secure)
            return WriteOutcome::Refused;
        m_accounts[handle].address = address;
        return WriteOutcome::Written;
    }
    bool addSecure(const QString &handle, const UserInfo &info, const QByteArray &passwordHash,
                   const QByteArray &keyFingerprint) override
    {
        FUZZ_CHECK(!handleProblem(handle) && passwordHash.startsWith("$argon2id$") && isKeyFingerprint(keyFingerprint));
        checkInfo(info, false);
        return false;
    }
    WriteOutcome setSecureAddress(const QString &handle, const QByteArray &keyFingerprint,
                                  const Published &published) override
    {
        FUZZ_CHECK(isPublishableAddress(published.address) && isKeyFingerprint(keyFingerprint));
        FUZZ_CHECK(published.address6.isEmpty() || globalIPv6(published.address6) == published.address6);
        FUZZ_CHECK(published.ports.isEmpty() || portList(published.ports) == published.ports);
        // Logging off clears the rest.
        FUZZ_CHECK(published.address != QStringLiteral("0") || !published.address6.isEmpty() ||
                   published.ports.isEmpty());
        return secureWrite(handle, keyFingerprint);
    }
    WriteOutcome setSecureInfo(const QString &handle, const QByteArray &keyFingerprint, const UserInfo &info) override
    {
        FUZZ_CHECK(isKeyFingerprint(keyFingerprint) && !info.email.isEmpty());
        checkInfo(info, false);
        return secureWrite(handle, keyFingerprint);
    }
    bool makeSecure(const QString &handle, const QString &classicPassword, const QByteArray &passwordHash,
                    const QByteArray &keyFingerprint) override
    {
        FUZZ_CHECK(m_accounts.value(handle).info.password == classicPassword && !classicPassword.isEmpty());
        FUZZ_CHECK(passwordHash.startsWith("$argon2id$") && isKeyFingerprint(keyFingerprint));
        return false;
    }
    bool replaceKey(const QString &, const QByteArray &, const QByteArray &) override
    {
        FUZZ_CHECK(false); // Sue's hash matches no password
        return false;
    }
    std::optional<QString> broadcast() override { return QStringLiteral("Welcome\r\n"); }
    void setBroadcast(const std::optional<QString> &) override {}
    void closeThreadConnection() override {}

private:
    WriteOutcome secureWrite(const QString &handle, const QByteArray &keyFingerprint)
    {
        if (!m_accounts.contains(handle))
            return WriteOutcome::Unknown;
        const Account &account = m_accounts[handle];
        return account.secure && account.keyFingerprint == keyFingerprint ? WriteOutcome::Written
                                                                           : WriteOutcome::Refused;
    }

    bool m_everyHandleTaken;
    QHash<QString, Account> m_accounts;
};

void checkDecoding(const QByteArray &bytes)
{
    FUZZ_CHECK(percentDecode(bytes.toPercentEncoding()) == bytes);
    if (const std::optional<QString> text = decodeText(bytes)) {
        FUZZ_CHECK(!text->contains(QChar(u'\0')));
        FUZZ_CHECK(decodeText(text->toUtf8().toPercentEncoding()) == text);
        // What the client sends for a value comes back as that value.
        const std::optional<Query> query =
            Query::parse("x=1&id=" + text->toUtf8().toPercentEncoding() + "&id=second");
        FUZZ_CHECK(query && query->value(u"id") == text);
        const std::optional<Query> form = Query::parseForm("x=1&id=" + text->toUtf8().toPercentEncoding());
        FUZZ_CHECK(form && form->value(u"id") == text);
        FUZZ_CHECK(!Query::parseForm("id=1&x=1&id=" + text->toUtf8().toPercentEncoding()));
    }
}

void checkReply(const Reply &reply)
{
    FUZZ_CHECK(!reply.contentType.isEmpty());
    static const int known[] = {200, 400, 401, 403, 404, 405, 409, 429, 503};
    FUZZ_CHECK(std::find(std::begin(known), std::end(known), reply.status) != std::end(known));
    if (reply.status == 200 && reply.contentType.startsWith("text/plain"))
        FUZZ_CHECK(!reply.body.startsWith('<'));
    FUZZ_CHECK(!reply.body.contains(sueHash));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input = fuzz::input(data, size);
    checkDecoding(input);
    // A secure reply reads back as the lines it was made of.
    if (const auto pairs = parseKeyValueText(input))
        FUZZ_CHECK(keyValueText(*pairs) == input);

    CheckingStore store(false);
    const DirectoryService service(store, QByteArrayLiteral("banner"), false);
    for (const bool overTls : {false, true}) {
        Request classic;
        classic.target = input;
        classic.overTls = overTls;
        classic.source = QStringLiteral("10.1.1.1");
        checkReply(service.handle(classic));
    }

    CheckingStore taken(true);
    const DirectoryService secure(taken, QByteArrayLiteral("banner"), false);
    const QByteArray keys[] = {sueKey, QByteArray(64, 'b'), {}};
    for (const char *name : {"register", "publish", "info", "key"}) {
        const QByteArray target = QByteArrayLiteral("/secure/") + name;
        Request request;
        request.post = true;
        request.target = target;
        request.body = input;
        request.overTls = true;
        request.clientKey = keys[size % 3];
        request.source = QStringLiteral("10.2.2.2");
        const Reply reply = secure.handle(request);
        checkReply(reply);
        if (reply.status == 200)
            FUZZ_CHECK(reply.body == "ok" && request.clientKey == sueKey);
    }
    const QByteArray lookUpTarget = QByteArrayLiteral("/secure/lookup?") + input;
    Request lookUp;
    lookUp.target = lookUpTarget;
    lookUp.overTls = true;
    const Reply found = secure.handle(lookUp);
    checkReply(found);
    if (found.status == 200)
        FUZZ_CHECK(parseKeyValueText(found.body).has_value());
    return 0;
}
