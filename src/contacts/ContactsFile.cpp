#include "contacts/ContactsFile.h"

#include "base/AtomicFile.h"
#include "base/Limits.h"
#include "base/Utf8.h"
#include "base/WorkingDirectory.h"

#include <QFile>

#include <limits>

namespace quibo {

namespace contacts_file {

Split split(const QByteArray &content, qsizetype limit)
{
    Split result;
    qsizetype start = 0;
    while (start < content.size() && result.handles.size() < limit) {
        qsizetype end = content.indexOf('\n', start);
        const qsizetype next = end < 0 ? content.size() : end + 1;
        if (end < 0)
            end = content.size();
        QByteArray line = content.mid(start, end - start);
        start = next;
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            result.handles.append(
                QString::fromUtf8(utf8::encodeCut(QString::fromUtf8(line), limits::HandleFieldBytes)));
    }
    result.rest = content.mid(start);
    return result;
}

QStringList parse(const QByteArray &content)
{
    return split(content, std::numeric_limits<qsizetype>::max()).handles;
}

QByteArray format(const QStringList &handles)
{
    QByteArray content;
    for (const QString &handle : handles)
        content += handle.toUtf8() + "\r\n";
    return content;
}

QByteArray withLine(QByteArray content, const QString &handle)
{
    // A last line cut after its CR only needs the LF: another CR would become part of its handle.
    if (content.endsWith('\r'))
        content += '\n';
    else if (!content.isEmpty() && !content.endsWith('\n'))
        content += "\r\n";
    return content + format({handle});
}

} // namespace contacts_file

ContactsFile::ContactsFile(const WorkingDirectory &workDir) : m_workDir(workDir)
{
}

QString ContactsFile::path() const
{
    return m_workDir.file(contacts_file::FileName);
}

QByteArray ContactsFile::readOrCreate()
{
    QFile file(path());
    if (file.open(QIODevice::ReadOnly))
        return file.readAll();
    const QByteArray fresh = contacts_file::format({contacts_file::DefaultHandle});
    if (!file.exists())
        rewrite(fresh); // a read-only directory leaves only the table with it
    return fresh;
}

bool ContactsFile::rewrite(const QByteArray &content)
{
    return writeFileAtomically(path(), content);
}

bool ContactsFile::append(const QString &handle)
{
    QByteArray content;
    QFile file(path());
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            return false;
        content = file.readAll();
        file.close();
    }
    return rewrite(contacts_file::withLine(content, handle));
}

} // namespace quibo
