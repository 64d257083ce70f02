#pragma once

#include <QString>

namespace quibo {

// True when `folder` already holds a client's working set.
bool holdsWorkingSet(const QString &folder);

// The folder named on the command line, else `current` when it holds a working set (existing
// set-ups and the local trial), else `dataHome`.
QString chooseWorkingFolder(const QString &named, const QString &current, const QString &dataHome);

// The user's data folder for the client: $XDG_DATA_HOME/quibo32.
QString defaultDataFolder();

// Makes `folder` when it is missing and fills it with the files of `installedFiles`. An existing
// folder is left alone, so the user's edits and deletions stay. False when it cannot be made.
bool seedWorkingFolder(const QString &folder, const QString &installedFiles);

} // namespace quibo
