#pragma once

#include <QString>
#include <QStringList>

namespace quibo {

// The client's command line.
struct ProgramOptions {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString folder;       // --folder DIR; empty: chosen by chooseWorkingFolder()
    bool connect = false; // --connect: press Connect at start, for starting with the desktop session
    QString error;        // for Action::Error, one line
};

// `arguments` without the program name. --help and --version win over anything else, so that
// they answer even before the toolkit has taken its own options out.
ProgramOptions parseProgramOptions(const QStringList &arguments);

QString programHelpText();
QString programVersionText(const QString &program);

} // namespace quibo
