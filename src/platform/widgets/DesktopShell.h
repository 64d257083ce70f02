#pragma once

#include "platform/Lifeline.h"
#include "ports/Shell.h"

namespace quibo {

// The user's desktop: documents open in their associated program; the programs it starts
// hold its lifeline, so they can end with this one.
class DesktopShell : public Shell {
public:
    void openDocument(const QString &absolutePath) override;
    void startProgram(const QString &program, const QStringList &arguments, const QString &workingDirectory,
                      const QByteArray &tlsIdentity) override;

private:
    Lifeline m_lifeline;
};

} // namespace quibo
