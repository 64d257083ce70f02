#include "WireFormat.h"

#include <QSet>
#include <QStringDecoder>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace quibo::directory {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

QString reasonPhrase(int status)
{
    switch (status) {
    case 400:
        return u"Bad Request"_s;
    case 403:
        return u"Forbidden"_s;
    case 404:
        return u"Not Found"_s;
    case 503:
        return u"Service Unavailable"_s;
    default:
        return u"Error"_s;
    }
}

} // namespace

std::optional<QByteArray> percentDecode(QByteArrayView raw, Plus plus)
{
    QByteArray out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw.at(i);
        if (c != '%') {
            out.append(c == '+' && plus == Plus::Space ? ' ' : c);
            continue;
        }
        if (i + 2 >= raw.size())
            return std::nullopt;
        const int high = hexValue(raw.at(i + 1));
        const int low = hexValue(raw.at(i + 2));
        if (high < 0 || low < 0)
            return std::nullopt;
        out.append(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return out;
}

std::optional<QString> decodeText(QByteArrayView raw, Plus plus)
{
    const std::optional<QByteArray> bytes = percentDecode(raw, plus);
    if (!bytes || bytes->contains('\0'))
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(*bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

std::optional<Query> Query::parse(QByteArrayView raw)
{
    return read(raw, Plus::Kept, false);
}

std::optional<Query> Query::parseForm(QByteArrayView body)
{
    return read(body, Plus::Space, true);
}

std::optional<Query> Query::read(QByteArrayView raw, Plus plus, bool uniqueKeys)
{
    Query query;
    QSet<QString> keys;
    qsizetype start = 0;
    while (start <= raw.size()) {
        qsizetype end = raw.indexOf('&', start);
        if (end < 0)
            end = raw.size();
        const QByteArrayView item = raw.sliced(start, end - start);
        if (!item.isEmpty()) {
            const qsizetype eq = item.indexOf('=');
            const std::optional<QString> key = decodeText(eq < 0 ? item : item.first(eq), plus);
            const std::optional<QString> value = decodeText(eq < 0 ? QByteArrayView() : item.sliced(eq + 1), plus);
            if (!key || !value)
                return std::nullopt;
            if (uniqueKeys) {
                if (keys.contains(*key))
                    return std::nullopt;
                keys.insert(*key);
            }
            query.m_items.append({*key, *value});
        }
        start = end + 1;
    }
    return query;
}

std::optional<QString> Query::value(QStringView key) const
{
    for (const auto &[k, v] : m_items) {
        if (k == key)
            return v;
    }
    return std::nullopt;
}

std::optional<Target> splitTarget(QByteArrayView target)
{
    const qsizetype mark = target.indexOf('?');
    const QByteArrayView rawPath = mark < 0 ? target : target.first(mark);
    std::optional<QString> path = decodeText(rawPath);
    if (!path)
        return std::nullopt;
    // Clients send "ipadd/writeip.cgi" without the leading slash.
    if (!path->startsWith(u'/'))
        path->prepend(u'/');
    return Target{*path, mark < 0 ? QByteArray() : target.sliced(mark + 1).toByteArray(), mark >= 0};
}

QByteArray errorPage(int status, const QString &message)
{
    const QString title = u"%1 %2"_s.arg(status).arg(reasonPhrase(status));
    return (u"<html>\r\n<head><title>"_s + title + u"</title></head>\r\n<body>\r\n<h1>"_s + title +
            u"</h1>\r\n<p>"_s + message.toHtmlEscaped() + u"</p>\r\n</body>\r\n</html>\r\n"_s)
        .toUtf8();
}

QByteArray footerPage()
{
    return QByteArrayLiteral("<html>\r\n<head><title>Quibo32 Directory</title></head>\r\n"
                             "<body BGCOLOR=\"#f5f5f5\">\r\n<CENTER>\r\n"
                             "<h2>Quibo32 Directory</h2>\r\n"
                             "<p>This server keeps the handles of Quibo32 users and the addresses they are "
                             "online at, so that contacts can find each other.</p>\r\n"
                             "<p>To get a handle, start Quibo32 and register.</p>\r\n"
                             "</CENTER>\r\n</body>\r\n</html>\r\n");
}

QByteArray keyValueText(const QList<std::pair<QByteArray, QByteArray>> &pairs)
{
    QByteArray text;
    for (const auto &[key, value] : pairs) {
        const qsizetype end = value.indexOf('\n');
        text += key + '=' + (end < 0 ? value : value.first(end)) + '\n';
    }
    return text;
}

std::optional<QList<std::pair<QByteArray, QByteArray>>> parseKeyValueText(QByteArrayView text)
{
    QList<std::pair<QByteArray, QByteArray>> pairs;
    QSet<QByteArray> keys;
    const auto isKeyChar = [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'; };
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            return std::nullopt;
        const QByteArrayView line = text.sliced(start, end - start);
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            return std::nullopt;
        const QByteArrayView key = line.first(eq);
        if (!std::all_of(key.begin(), key.end(), isKeyChar))
            return std::nullopt;
        if (keys.contains(key.toByteArray()))
            return std::nullopt;
        keys.insert(key.toByteArray());
        pairs.append({key.toByteArray(), line.sliced(eq + 1).toByteArray()});
        start = end + 1;
    }
    return pairs;
}

QByteArray publicInfoText(const QString &handle, const UserInfo &info)
{
    const auto line = [](const QString &label, const QString &value) {
        return label + u": "_s + (value.isEmpty() ? u"N/A"_s : value) + u"\r\n"_s;
    };
    const QString name = (info.first + u' ' + info.last).trimmed();
    const QString text = line(u"Handle"_s, handle) + line(u"Name"_s, name) + line(u"City"_s, info.city) +
                         line(u"State"_s, info.state) + line(u"Country"_s, info.country) +
                         line(u"Sex"_s, info.sex) + line(u"Age"_s, info.age) +
                         line(u"Personal Info"_s, info.persinfo);
    return text.toUtf8();
}

} // namespace quibo::directory
