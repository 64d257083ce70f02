#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace quibo {

class WorkingDirectory;

namespace contacts_file {
inline const QString FileName = QStringLiteral("contacts.dat");
inline const QString DefaultHandle = QStringLiteral("LoopBack");

// The handles of a contacts file: one a line, CR LF or LF, the last line end optional. Blank
// lines are skipped; a handle too long for its field is cut.
QStringList parse(const QByteArray &content);
// The file's content: each handle followed by CR LF.
QByteArray format(const QStringList &handles);
} // namespace contacts_file

// "contacts.dat" in the client's working directory. Whole rewrites are atomic; nothing here
// fails hard: a read-only directory only makes the writes report false.
class ContactsFile {
public:
    explicit ContactsFile(const WorkingDirectory &workDir);

    // The handles in the file; when it does not exist it is created holding "LoopBack" (and
    // that one handle is returned even when it cannot be created).
    QStringList readOrCreate();
    // Replaces the whole file.
    bool rewrite(const QStringList &handles);
    // Adds one handle at the end (after a line end, when the last line lacks one).
    bool append(const QString &handle);

private:
    [[nodiscard]] QString path() const;
    const WorkingDirectory &m_workDir;
};

} // namespace quibo
