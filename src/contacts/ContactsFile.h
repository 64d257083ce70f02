#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quibo {

class WorkingDirectory;

namespace contacts_file {
inline const QString FileName = QStringLiteral("contacts.dat");
inline const QString DefaultHandle = QStringLiteral("LoopBack");

// The first `limit` handles of a contacts file, and the bytes after the line of the last of
// them, untouched.
struct Split {
    QStringList handles;
    QByteArray rest;
};

// Handles are one a line, CR LF or LF, the last line end optional. Blank lines are skipped; a
// handle too long for its field is cut.
Split split(const QByteArray &content, qsizetype limit);
// Every handle of a contacts file.
QStringList parse(const QByteArray &content);
// The file's content: each handle followed by CR LF.
QByteArray format(const QStringList &handles);
// `content` with the handle's line added at the end (after a line end, when the last line lacks
// one).
QByteArray withLine(QByteArray content, const QString &handle);
} // namespace contacts_file

// "contacts.dat" in the client's working directory. Every write replaces the file whole and
// atomically, appends included, so a failed write never leaves half a line. Nothing here fails
// hard: a read-only directory only makes the writes report false.
class ContactsFile {
public:
    explicit ContactsFile(const WorkingDirectory &workDir);

    // The file's content; when it does not exist it is created holding "LoopBack" (and that
    // content is returned even when it cannot be created).
    QByteArray readOrCreate();
    // Replaces the whole file.
    bool rewrite(const QByteArray &content);
    // Adds one handle at the end.
    bool append(const QString &handle);

private:
    [[nodiscard]] QString path() const;
    const WorkingDirectory &m_workDir;
};

} // namespace quibo
