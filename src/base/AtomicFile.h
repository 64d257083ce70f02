#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

namespace quibo {

// Replaces the file at `path` with `bytes` whole, or leaves the old file as it was. Creates the
// folder when it is missing. False when the file could not be written. With `permissions`, the
// file has them from its first byte on.
bool writeFileAtomically(const QString &path, const QByteArray &bytes,
                         QFileDevice::Permissions permissions = {});

} // namespace quibo
