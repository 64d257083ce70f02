#pragma once

#include <QByteArray>
#include <QString>

namespace quibo {

// The user's settings of this program's own, beyond the classic files: one "name=on|off" a
// line. Lines it does not know are left out; a missing file gives the defaults.
struct Preferences {
    bool keepHistory = true;
    bool startAtLogin = false;

    friend bool operator==(const Preferences &, const Preferences &) = default;
};

Preferences parsePreferences(const QByteArray &bytes);
QByteArray preferencesBytes(const Preferences &preferences);

// The preferences file of a working folder, readable by the user alone.
class PreferencesFile {
public:
    static constexpr auto FileName = "preferences";

    // Reads the file at `path`.
    explicit PreferencesFile(QString path);

    [[nodiscard]] const Preferences &values() const { return m_values; }
    // Keeps `values` for this run and writes them; false when the file could not be written.
    bool save(const Preferences &values);

private:
    QString m_path;
    Preferences m_values;
};

} // namespace quibo
