#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

namespace quibo {

// Readable and writable by the user alone: what holds a password, a key or a preference.
inline constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Replaces the file at `path` with `bytes` whole, or leaves the old file as it was. Creates the
// folder when it is missing. False when the file could not be written. With `permissions`, the
// file has them from its first byte on.
bool writeFileAtomically(const QString &path, const QByteArray &bytes,
                         QFileDevice::Permissions permissions = {});

// Takes every permission from group and others, when the file exists; false when that failed.
bool narrowToOwner(const QString &path);

} // namespace quibo
