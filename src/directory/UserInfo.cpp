#include "directory/UserInfo.h"

#include "base/AtomicFile.h"
#include "base/Utf8.h"

#include <QFile>

namespace quibo {

namespace {

QString oneLine(QString value)
{
    for (QChar &c : value) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u' ';
    }
    return value;
}

// The longest file the ten reads can consume: every limit plus a CR per line.
constexpr qsizetype maxFileBytes = [] {
    qsizetype total = 0;
    for (const UserInfoField &field : userInfoFields)
        total += field.readLimit + 1;
    return total;
}();

// One read of at most `readLimit` bytes, line end included, from `pos`: the line's content
// when it fits in readLimit - 1 bytes, else its first readLimit - 1 bytes (cut back to a
// whole character), leaving the rest for the next read.
QByteArray readField(const QByteArray &bytes, qsizetype &pos, qsizetype readLimit)
{
    if (pos >= bytes.size())
        return {};
    const qsizetype maxContent = readLimit - 1;
    const qsizetype newline = bytes.indexOf('\n', pos);
    qsizetype contentEnd = newline < 0 ? bytes.size() : newline;
    if (contentEnd > pos && bytes.at(contentEnd - 1) == '\r') // CR LF, or a CR at the very end
        --contentEnd;
    if (contentEnd - pos <= maxContent) {
        const QByteArray field = bytes.mid(pos, contentEnd - pos);
        pos = newline < 0 ? bytes.size() : newline + 1;
        return field;
    }
    const QByteArray field = utf8::trimPartialTail(bytes.mid(pos, maxContent));
    pos += field.size();
    return field;
}

} // namespace

UserInfo cleanedUserInfo(UserInfo info)
{
    for (const UserInfoField &field : userInfoFields)
        info.*field.member = utf8::cut(oneLine(info.*field.member), field.maxBytes);
    return info;
}

QByteArray encodeUserInfoFile(const UserInfo &info)
{
    const UserInfo clean = cleanedUserInfo(info);
    QByteArray bytes;
    for (const UserInfoField &field : userInfoFields)
        bytes += (clean.*field.member).toUtf8() + "\r\n";
    return bytes;
}

UserInfo decodeUserInfoFile(const QByteArray &bytes)
{
    UserInfo info;
    qsizetype pos = 0;
    for (const UserInfoField &field : userInfoFields)
        info.*field.member = QString::fromUtf8(readField(bytes, pos, field.readLimit));
    return info;
}

UserInfoFields requestFields(const UserInfo &info)
{
    UserInfoFields fields;
    for (std::size_t i = 0; i < userInfoFields.size(); ++i)
        fields[i] = info.*userInfoFields[i].member;
    return fields;
}

bool writeUserInfoFile(const QString &path, const UserInfo &info)
{
    return writeFileAtomically(path, encodeUserInfoFile(info), OwnerOnly);
}

std::optional<UserInfo> readUserInfoFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return decodeUserInfoFile(file.read(maxFileBytes));
}

} // namespace quibo
