#include "platform/Autostart.h"

#include "base/AtomicFile.h"

#include <QFile>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>

namespace quibo::autostart {

QString entryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/quibo32.desktop");
}

QString execArgument(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString quoted = argument;
    const bool quote = argument.isEmpty() || std::any_of(argument.begin(), argument.end(), [](QChar c) {
                           return reserved.contains(c);
                       });
    if (quote) {
        quoted.clear();
        for (const QChar c : argument) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                quoted += u'\\';
            quoted += c;
        }
        quoted = u'"' + quoted + u'"';
    }
    quoted.replace(u'%', QStringLiteral("%%"));
    // The key's value is a string of its own, with escapes of its own.
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'\n', QStringLiteral("\\n"));
    quoted.replace(u'\t', QStringLiteral("\\t"));
    quoted.replace(u'\r', QStringLiteral("\\r"));
    return quoted;
}

QByteArray entry(const QString &program, const QString &folder)
{
    const QStringList exec{execArgument(program), QStringLiteral("--folder"), execArgument(folder),
                           QStringLiteral("--connect")};
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Quibo32\n"
                          "Comment=Logs on to Quibo32 when you log in\n"
                          "Icon=quibo32\n"
                          "Exec=%1\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(exec.join(u' '))
        .toUtf8();
}

bool setStartAtLogin(bool start, const QString &program, const QString &folder)
{
    if (start)
        return writeFileAtomically(entryPath(), entry(program, folder));
    return !QFile::exists(entryPath()) || QFile::remove(entryPath());
}

} // namespace quibo::autostart
