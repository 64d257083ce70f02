#include "base/KeyValueText.h"

#include <QSet>

#include <algorithm>

namespace quibo {

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
    const auto isKeyChar = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    };
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

} // namespace quibo
