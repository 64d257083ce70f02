#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QMap>
#include <QString>

namespace quibo::known_keys {

// The keys a client has pinned: one line per peer, its name ("host:port" for a directory), a
// space and its key's fingerprint, each line ended by LF. Lines that are not that shape (a
// hand edit, a damaged file) are skipped; the last line for a name counts.
QMap<QString, QByteArray> parse(QByteArrayView text);
// In name order.
QByteArray format(const QMap<QString, QByteArray> &pinned);

} // namespace quibo::known_keys
