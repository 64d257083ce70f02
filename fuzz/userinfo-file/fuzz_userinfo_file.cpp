// Feeds arbitrary file contents to the user info record's reading, and writes what was read
// back: every field stays within its bounds and one line, and the written file reads back the same.
#include "FuzzCheck.h"

#include "directory/UserInfo.h"

#include <algorithm>

using namespace quibo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = fuzz::input(data, size);
    const bool utf8 = fuzz::isUtf8(bytes);
    const UserInfo read = decodeUserInfoFile(bytes);
    for (const UserInfoField &field : userInfoFields) {
        const QString &value = read.*field.member;
        FUZZ_CHECK(!value.contains(u'\n'));
        if (utf8)
            FUZZ_CHECK(value.toUtf8().size() <= field.readLimit - 1);
    }

    const UserInfo clean = cleanedUserInfo(read);
    const UserInfoFields request = requestFields(clean);
    for (std::size_t i = 0; i < userInfoFields.size(); ++i) {
        const QString &value = clean.*userInfoFields[i].member;
        FUZZ_CHECK(value.toUtf8().size() <= userInfoFields[i].maxBytes);
        FUZZ_CHECK(std::none_of(value.cbegin(), value.cend(),
                                [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; }));
        FUZZ_CHECK(request[i] == value);
    }
    FUZZ_CHECK(cleanedUserInfo(clean) == clean);
    FUZZ_CHECK(decodeUserInfoFile(encodeUserInfoFile(read)) == clean);
    return 0;
}
