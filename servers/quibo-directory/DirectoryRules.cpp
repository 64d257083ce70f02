#include "DirectoryRules.h"

#include "base/DottedAddress.h"
#include "base/Limits.h"
#include "base/Utf8.h"

#include "UserInfo.h"

#include <QStringDecoder>
#include <QStringList>

#include <arpa/inet.h>

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace quibo::directory {

namespace {

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7f;
}

// Names of the server's own files under /ipadd/ and /ipinfo/ that fit in a handle:
// such a handle could not be looked up like any other.
bool isServerFileName(const QString &handle)
{
    return handle == u"readit.cgi"_s || handle == u"sysmsg.dat"_s;
}

} // namespace

std::optional<QString> handleProblem(const QString &handle)
{
    if (handle.isEmpty())
        return u"the handle is empty"_s;
    if (handle.toUtf8().size() > limits::HandleBytes)
        return u"the handle is longer than %1 characters"_s.arg(limits::HandleBytes);
    for (const QChar c : handle) {
        // "|" separates the handle in peer records, "<" starts an error page, line ends
        // break the line-based files, and slashes would make a path of it.
        if (isControl(c) || c == u'|' || c == u'<' || c == u'/' || c == u'\\')
            return u"the handle holds a character that is not allowed"_s;
    }
    if (handle == loopBackHandle || isServerFileName(handle))
        return u"the handle is reserved"_s;
    return std::nullopt;
}

std::optional<QString> passwordProblem(const QString &password)
{
    if (password.isEmpty())
        return u"the password is empty"_s;
    if (password.toUtf8().size() > userFields.front().maxBytes)
        return u"the password is longer than %1 characters"_s.arg(userFields.front().maxBytes);
    for (const QChar c : password) {
        // The client compares the first line of the reply with its stored line.
        if (isControl(c))
            return u"the password holds a control character"_s;
    }
    return std::nullopt;
}

bool isPublishableAddress(const QString &address)
{
    return address == u"0"_s || isDottedIPv4(address);
}

std::optional<QString> globalIPv6(const QString &text)
{
    // inet_pton takes no zone ("%eth0") and no embedded NUL reaches it; the longest form is
    // 45 characters.
    if (text.size() > INET6_ADDRSTRLEN || text.contains(QChar(0)))
        return std::nullopt;
    std::array<unsigned char, 16> bytes{};
    if (inet_pton(AF_INET6, text.toLatin1().constData(), bytes.data()) != 1 || (bytes[0] & 0xe0) != 0x20)
        return std::nullopt;
    std::array<char, INET6_ADDRSTRLEN> canonical{};
    if (!inet_ntop(AF_INET6, bytes.data(), canonical.data(), canonical.size()))
        return std::nullopt;
    return QString::fromLatin1(canonical.data());
}

std::optional<QString> publishableIPv6(const QString &text, const QString &source)
{
    const bool fromLoopback = source == u"::1"_s || source.startsWith(u"127."_s) || source.startsWith(u"::ffff:127."_s);
    if (fromLoopback && text == u"::1"_s)
        return text;
    return globalIPv6(text);
}

std::optional<QString> portList(const QString &text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 4)
        return std::nullopt;
    QStringList ports;
    for (const QString &part : parts) {
        const bool digits = !part.isEmpty() && part.size() <= 5 &&
                            std::all_of(part.cbegin(), part.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        const uint port = digits ? part.toUInt() : 0;
        if (port < 1 || port > 65535)
            return std::nullopt;
        ports.append(QString::number(port));
    }
    return ports.join(u',');
}

QString cleanInfoField(const QString &value, qsizetype maxBytes)
{
    QString cleaned = value;
    for (QChar &c : cleaned) {
        if (isControl(c))
            c = u' ';
    }
    return utf8::cut(cleaned, maxBytes);
}

std::variant<QString, BroadcastError> broadcastFromFile(const QByteArray &content)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(content);
    if (decoder.hasError() || text.contains(QChar(0)))
        return BroadcastError{u"the file is not UTF-8 text"_s};
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);
    text.replace(u"\r\n"_s, u"\n"_s);

    QStringList lines = text.split(u'\n');
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        return BroadcastError{u"the file is empty; use --clear-broadcast to remove the message"_s};
    if (lines.size() > limits::BroadcastLines)
        return BroadcastError{u"the message has %1 lines; at most %2 are shown"_s.arg(lines.size())
                                  .arg(limits::BroadcastLines)};
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (line.toUtf8().size() > limits::BroadcastLineBytes)
            return BroadcastError{
                u"line %1 is longer than %2 bytes"_s.arg(i + 1).arg(limits::BroadcastLineBytes)};
        for (const QChar c : line) {
            if (isControl(c))
                return BroadcastError{u"line %1 holds a control character"_s.arg(i + 1)};
        }
    }
    // The client takes a first character "<" for an error page and shows nothing.
    if (lines.first().startsWith(u'<'))
        return BroadcastError{u"the message must not begin with \"<\""_s};

    QString body;
    for (const QString &line : lines)
        body += line + u"\r\n"_s;
    return body;
}

} // namespace quibo::directory
