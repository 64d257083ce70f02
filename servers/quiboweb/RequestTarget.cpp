#include "RequestTarget.h"

namespace quibo::web {

QByteArray repairRequestLine(const QByteArray &line)
{
    qsizetype end = line.size();
    while (end > 0 && (line.at(end - 1) == '\n' || line.at(end - 1) == '\r'))
        --end;
    if (end == 0)
        return line;
    const qsizetype first = line.indexOf(' ');
    const qsizetype last = line.lastIndexOf(' ', end - 1);
    if (first < 0 || last <= first || line.indexOf(' ', first + 1) == last)
        return line; // zero, one or two spaces: nothing to repair
    if (!line.mid(last + 1, end - last - 1).startsWith("HTTP/"))
        return line;
    QByteArray target = line.mid(first + 1, last - first - 1);
    target.replace(' ', "%20");
    return line.left(first + 1) + target + line.mid(last);
}

namespace {

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool escapesAreWellFormed(const QByteArray &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != '%')
            continue;
        if (i + 2 >= text.size() || !isHex(text.at(i + 1)) || !isHex(text.at(i + 2)))
            return false;
        i += 2;
    }
    return true;
}

bool hasForbiddenByte(const QByteArray &path)
{
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || c == '\\')
            return true;
    }
    return false;
}

TargetPath refuse(int status)
{
    return TargetPath{status, {}};
}

} // namespace

TargetPath parseRequestTarget(const QByteArray &target)
{
    qsizetype end = target.size();
    for (const char stop : {'?', '#'}) {
        const qsizetype at = target.indexOf(stop);
        if (at >= 0 && at < end)
            end = at;
    }
    const QByteArray raw = target.left(end);
    if (!raw.startsWith('/') || raw.startsWith("//") || !escapesAreWellFormed(raw))
        return refuse(400);
    const QByteArray path = QByteArray::fromPercentEncoding(raw);
    if (path.startsWith("//") || hasForbiddenByte(path))
        return refuse(400);
    if (path == "/")
        return TargetPath{200, {QStringLiteral("index.htm")}};

    const QStringList segments = QString::fromUtf8(path.mid(1)).split(u'/');
    for (qsizetype i = 0; i < segments.size(); ++i) {
        const QString &segment = segments.at(i);
        if (segment == u"." || segment == u"..")
            return refuse(400);
        if (segment.isEmpty())
            return refuse(i + 1 == segments.size() ? 404 : 400); // a folder, or "a//b"
    }
    return TargetPath{200, segments};
}

QByteArray contentTypeFor(const QString &fileName)
{
    const QString suffix = fileName.mid(fileName.lastIndexOf(u'.') + 1).toLower();
    if (!fileName.contains(u'.'))
        return QByteArrayLiteral("application/octet-stream");
    if (suffix == u"htm" || suffix == u"html")
        return QByteArrayLiteral("text/html; charset=utf-8"); // the client writes its pages in UTF-8
    if (suffix == u"gif")
        return QByteArrayLiteral("image/gif");
    if (suffix == u"png")
        return QByteArrayLiteral("image/png");
    if (suffix == u"jpg" || suffix == u"jpeg")
        return QByteArrayLiteral("image/jpeg");
    if (suffix == u"txt")
        return QByteArrayLiteral("text/plain");
    return QByteArrayLiteral("application/octet-stream");
}

} // namespace quibo::web
