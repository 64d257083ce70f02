#pragma once

#include "base/WorkingDirectory.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace quibo::test {

// Version `n` of "contacts.dat", "userinfo.dat" and "settings": each version differs from
// the next in content and length, so a cut file matches no version.
struct FileVersions {
    // Writes version `n` of all three through the client's own write paths.
    static bool write(const WorkingDirectory &dir, int n);
    // The version that the file holds exactly, or nothing when it holds none (cut or missing).
    static std::optional<int> contactsVersion(const QByteArray &bytes);
    static std::optional<int> userInfoVersion(const QByteArray &bytes);
    static std::optional<int> settingsVersion(const QByteArray &bytes);
};

} // namespace quibo::test
