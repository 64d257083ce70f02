#pragma once

#include "base/Limits.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace quibo {

class WorkingDirectory;

namespace working_files {
inline const QString Settings = QStringLiteral("settings");
inline const QString UserInfo = QStringLiteral("userinfo.dat");
inline const QString HtmlDir = QStringLiteral("html");
inline const QString OfferDir = QStringLiteral("html/tmp");
inline const QString Background = QStringLiteral("bg.gif");
// The user's key and its certificate, and the directories' pinned keys: the user's alone.
inline const QString UserKeyFile = QStringLiteral("quibo32.key");
inline const QString UserCertificateFile = QStringLiteral("quibo32.crt");
inline const QString DirectoryPins = QStringLiteral("directory.pins");

// Read limits, line end included.
inline constexpr int HandleReadAtLogon = limits::HandleFieldBytes;
inline constexpr int HandleReadAtLogoff = limits::HandleFieldBytes + 1;
inline constexpr int PasswordRead = limits::PasswordBytes + 1;
} // namespace working_files

// The whole file, or nothing when it cannot be opened for reading.
std::optional<QByteArray> readWorkingFile(const WorkingDirectory &dir, const QString &name);

// Narrows "userinfo.dat" (it holds the password) and "settings", where others may read
// them, to the user alone; done at start, for files written before they were made so.
void narrowPrivateFiles(const WorkingDirectory &dir);

// Replaces "settings" whole with the handle's line; false when it could not be written.
bool writeSettingsFile(const WorkingDirectory &dir, const QString &handle);

// A fresh working directory's first logon: makes "html" and "html/tmp" and moves "bg.gif" into
// "html" (the installed copy when the working directory has none). False when any of it failed;
// the run goes on either way.
bool prepareFirstRun(const WorkingDirectory &dir);

// The path of an offered file to delete at logoff: `name` inside "html/tmp", or nothing when
// the name is not a plain file name there (a path that would leave the folder).
std::optional<QString> offeredFilePath(const WorkingDirectory &dir, const QString &name);

} // namespace quibo
