// Feeds arbitrary request targets to the directory server's decoding and endpoints, over a
// store that checks what reaches it: only valid handles, passwords, addresses and bounded
// fields are ever stored, and no reply the client takes for an answer looks like an error page.
#include "FuzzCheck.h"

#include "DirectoryRules.h"
#include "DirectoryService.h"
#include "WireFormat.h"

#include <QHash>

#include <algorithm>

using namespace quibo;
using namespace quibo::directory;

namespace {

bool hasControl(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

class CheckingStore final : public DirectoryStore {
public:
    CheckingStore()
    {
        m_users.insert(QStringLiteral("Ann"), {QStringLiteral("secret"), {}, {}, {}, {}, {}, {}, {}, {}, {}});
        m_addresses.insert(QStringLiteral("Ann"), QStringLiteral("10.0.0.7"));
    }
    void prepare() override {}
    std::optional<QString> address(const QString &handle) override
    {
        if (!m_addresses.contains(handle))
            return std::nullopt;
        return m_addresses.value(handle);
    }
    std::optional<UserInfo> user(const QString &handle) override
    {
        if (!m_users.contains(handle))
            return std::nullopt;
        return m_users.value(handle);
    }
    RegisterOutcome registerUser(const QString &handle, const UserInfo &info) override
    {
        FUZZ_CHECK(!handleProblem(handle) && !passwordProblem(info.password));
        for (const UserField &field : userFields) {
            const QString &value = info.*field.member;
            FUZZ_CHECK(value.toUtf8().size() <= field.maxBytes && !hasControl(value));
        }
        if (m_users.contains(handle) && m_users.value(handle).password != info.password)
            return RegisterOutcome::WrongPassword;
        const bool created = !m_users.contains(handle);
        m_users.insert(handle, info);
        if (created)
            m_addresses.insert(handle, QStringLiteral("0"));
        return created ? RegisterOutcome::Created : RegisterOutcome::Updated;
    }
    bool setAddress(const QString &handle, const QString &address) override
    {
        FUZZ_CHECK(isPublishableAddress(address) && handle != loopBackHandle);
        if (!m_addresses.contains(handle))
            return false;
        m_addresses.insert(handle, address);
        return true;
    }
    std::optional<QString> broadcast() override { return QStringLiteral("Welcome\r\n"); }
    void setBroadcast(const std::optional<QString> &) override {}
    void closeThreadConnection() override {}

private:
    QHash<QString, UserInfo> m_users;
    QHash<QString, QString> m_addresses;
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
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray target = fuzz::input(data, size);
    checkDecoding(target);

    CheckingStore store;
    const DirectoryService service(store, QByteArrayLiteral("banner"));
    const Reply reply = service.handle(target);
    FUZZ_CHECK(!reply.contentType.isEmpty());
    FUZZ_CHECK(reply.status == 200 || reply.status == 400 || reply.status == 403 || reply.status == 404 ||
               reply.status == 503);
    if (reply.status == 200 && reply.contentType.startsWith("text/plain"))
        FUZZ_CHECK(!reply.body.startsWith('<'));
    return 0;
}
