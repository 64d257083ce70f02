#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>
#include <utility>

namespace quibo {

// The directory's secure replies: one "key=value" line for each pair, each ended by LF. A
// value never holds a line end: one would be cut there.
QByteArray keyValueText(const QList<std::pair<QByteArray, QByteArray>> &pairs);

// Such a reply read back; nullopt for a line without "=", a key that is not lowercase letters,
// digits or "_", a key given twice, or a last line without its LF.
std::optional<QList<std::pair<QByteArray, QByteArray>>> parseKeyValueText(QByteArrayView text);

} // namespace quibo
