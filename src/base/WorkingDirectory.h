#pragma once

#include <QDir>
#include <QStringList>

namespace quibo {

// The client's working directory, plus the folders of the installed program where the
// installation files (clips, page background, help, quiboweb) are found when the working
// directory does not hold them.
class WorkingDirectory {
public:
    explicit WorkingDirectory(QDir work, QStringList installDirs = {});

    // The installed files' folder: share/quibo32 beside the binary's folder, in the build
    // tree as when installed.
    static QString installedShareDir();
    // The installed program's folders, next to the running binary.
    static QStringList defaultInstallDirs();

    [[nodiscard]] QString path() const { return m_work.absolutePath(); }
    // Absolute path of a file named relative to the working directory ("/" separated).
    [[nodiscard]] QString file(const QString &relativeName) const;
    // The working directory's copy of an installation file if it exists, else the installed one;
    // empty when neither exists.
    [[nodiscard]] QString findInstalled(const QString &name) const;

private:
    QDir m_work;
    QStringList m_installDirs;
};

} // namespace quibo
