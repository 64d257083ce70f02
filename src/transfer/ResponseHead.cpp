#include "transfer/ResponseHead.h"

#include <algorithm>

namespace quibo {

namespace {

bool isDigits(QByteArrayView text)
{
    return !text.isEmpty() && text.size() <= 18 && std::all_of(text.begin(), text.end(), [](char c) {
        return c >= '0' && c <= '9';
    });
}

// A field name as HTTP defines it (a "token"): no space, no control, no separator.
bool isToken(QByteArrayView text)
{
    static constexpr QByteArrayView Marks = "!#$%&'*+-.^_`|~";
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || Marks.contains(c);
    });
}

} // namespace

std::optional<ResponseHead> parseResponseHead(QByteArrayView head)
{
    const QList<QByteArray> lines = head.toByteArray().split('\n');
    const QByteArray statusLine = lines.first().trimmed();
    // "HTTP/1.1 206 Partial Content": the reason may be empty.
    if (!statusLine.startsWith("HTTP/1.") || statusLine.size() < 12 || statusLine.at(8) != ' ' ||
        !isDigits(statusLine.mid(9, 3)) || (statusLine.size() > 12 && statusLine.at(12) != ' '))
        return std::nullopt;
    ResponseHead parsed;
    parsed.status = statusLine.mid(9, 3).toInt();
    if (parsed.status < 100)
        return std::nullopt; // 0 would read as "no head yet"
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).endsWith('\r') ? lines.at(i).chopped(1) : lines.at(i);
        if (line.isEmpty())
            continue;
        const qsizetype colon = line.indexOf(':');
        const QByteArray name = line.left(colon);
        if (colon <= 0 || !isToken(name))
            return std::nullopt; // no name, a folded line, or a name a reader could take two ways
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name.compare("Transfer-Encoding", Qt::CaseInsensitive) == 0)
            return std::nullopt;
        if (name.compare("Content-Length", Qt::CaseInsensitive) == 0) {
            if (!isDigits(value) || (parsed.contentLength >= 0 && parsed.contentLength != value.toLongLong()))
                return std::nullopt;
            parsed.contentLength = value.toLongLong();
        }
        parsed.fields.append({name, value});
    }
    // No body, whatever the length says.
    if (parsed.status == 204 || parsed.status == 304 || parsed.status < 200)
        parsed.contentLength = 0;
    return parsed;
}

} // namespace quibo
