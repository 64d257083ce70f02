#pragma once

#include <QByteArray>
#include <QString>

namespace quibo::autostart {

// $XDG_CONFIG_HOME/autostart/quibo32.desktop, by default under ~/.config.
QString entryPath();

// `argument` as the Exec key of a desktop entry takes it: quoted when it holds a reserved
// character, with the quoting's and the key's own escapes, and "%" doubled.
QString execArgument(const QString &argument);

// The desktop entry that starts `program` at login on the working folder `folder`, connected.
QByteArray entry(const QString &program, const QString &folder);

// Writes the entry, or removes it. False when the file could not be written or removed.
bool setStartAtLogin(bool start, const QString &program, const QString &folder);

} // namespace quibo::autostart
