#include "platform/Preferences.h"

#include "base/AtomicFile.h"

#include <QFile>
#include <QList>

#include <utility>

namespace quibo {

namespace {
constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

struct Switch {
    const char *name;
    bool Preferences::*value;
};
constexpr Switch Switches[] = {
    {"history", &Preferences::keepHistory},
    {"startAtLogin", &Preferences::startAtLogin},
};
} // namespace

Preferences parsePreferences(const QByteArray &bytes)
{
    Preferences preferences;
    for (const QByteArray &line : bytes.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray name = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        for (const Switch &s : Switches) {
            if (name == s.name && (value == "on" || value == "off"))
                preferences.*s.value = value == "on";
        }
    }
    return preferences;
}

QByteArray preferencesBytes(const Preferences &preferences)
{
    QByteArray bytes;
    for (const Switch &s : Switches)
        bytes += QByteArray(s.name) + (preferences.*s.value ? "=on\r\n" : "=off\r\n");
    return bytes;
}

PreferencesFile::PreferencesFile(QString path) : m_path(std::move(path))
{
    QFile file(m_path);
    if (file.open(QIODevice::ReadOnly))
        m_values = parsePreferences(file.read(4096));
}

bool PreferencesFile::save(const Preferences &values)
{
    m_values = values;
    return writeFileAtomically(m_path, preferencesBytes(values), OwnerOnly);
}

} // namespace quibo
