#include "keys/KnownKeys.h"

#include "keys/KeyMaking.h"

namespace quibo::known_keys {

QMap<QString, QByteArray> parse(QByteArrayView text)
{
    QMap<QString, QByteArray> pinned;
    for (const QByteArray &raw : text.toByteArray().split('\n')) {
        const QByteArray line = raw.trimmed();
        const qsizetype space = line.lastIndexOf(' ');
        if (space <= 0)
            continue;
        const QByteArray name = line.first(space).trimmed();
        const QByteArray fingerprint = line.sliced(space + 1);
        if (!name.isEmpty() && !name.contains(' ') && keys::isKeyFingerprint(fingerprint))
            pinned.insert(QString::fromUtf8(name), fingerprint);
    }
    return pinned;
}

QByteArray format(const QMap<QString, QByteArray> &pinned)
{
    QByteArray text;
    for (auto it = pinned.cbegin(); it != pinned.cend(); ++it)
        text += it.key().toUtf8() + ' ' + it.value() + '\n';
    return text;
}

} // namespace quibo::known_keys
