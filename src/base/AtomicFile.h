#pragma once

#include <QByteArray>
#include <QString>

namespace quibo {

// Replaces the file at `path` with `bytes` whole, or leaves the old file as it was. Creates the
// folder when it is missing. False when the file could not be written.
bool writeFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace quibo
