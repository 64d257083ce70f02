#pragma once

#include <QString>
#include <QStringList>

namespace quibo {

// The desktop: opening documents with their associated program, and starting programs.
class Shell {
public:
    virtual ~Shell() = default;
    // Opens the file with its default program; the result is not examined.
    virtual void openDocument(const QString &absolutePath) = 0;
    // Starts a program without waiting for it. It is handed a lifeline (base/Lifeline.h) by
    // which it can end when this program ends, and `tlsIdentity` (PEM), when there is one,
    // through an inherited pipe named by TlsIdentityVariable.
    virtual void startProgram(const QString &program, const QStringList &arguments, const QString &workingDirectory,
                              const QByteArray &tlsIdentity) = 0;
};

} // namespace quibo
