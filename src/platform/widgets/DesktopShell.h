#pragma once

#include "ports/Shell.h"

namespace quibo {

// The user's desktop: documents open in their associated program.
class DesktopShell : public Shell {
public:
    void openDocument(const QString &absolutePath) override;
    void startProgram(const QString &program, const QStringList &arguments,
                      const QString &workingDirectory) override;
};

} // namespace quibo
