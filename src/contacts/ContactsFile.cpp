#include "contacts/ContactsFile.h"

#include "base/Limits.h"
#include "base/Utf8.h"
#include "base/WorkingDirectory.h"

#include <QFile>
#include <QSaveFile>

namespace quibo {

namespace contacts_file {

QStringList parse(const QByteArray &content)
{
    QStringList handles;
    for (QByteArray line : content.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        handles.append(QString::fromUtf8(utf8::encodeCut(QString::fromUtf8(line), limits::HandleFieldBytes)));
    }
    return handles;
}

QByteArray format(const QStringList &handles)
{
    QByteArray content;
    for (const QString &handle : handles)
        content += handle.toUtf8() + "\r\n";
    return content;
}

} // namespace contacts_file

ContactsFile::ContactsFile(const WorkingDirectory &workDir) : m_workDir(workDir)
{
}

QString ContactsFile::path() const
{
    return m_workDir.file(contacts_file::FileName);
}

QStringList ContactsFile::readOrCreate()
{
    QFile file(path());
    if (file.open(QIODevice::ReadOnly))
        return contacts_file::parse(file.readAll());
    const QStringList fresh{contacts_file::DefaultHandle};
    if (!file.exists())
        rewrite(fresh); // a read-only directory leaves only the table with it
    return fresh;
}

bool ContactsFile::rewrite(const QStringList &handles)
{
    QSaveFile file(path());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(contacts_file::format(handles));
    return file.commit();
}

bool ContactsFile::append(const QString &handle)
{
    QFile file(path());
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray line = contacts_file::format({handle});
    if (file.size() > 0) {
        file.seek(file.size() - 1);
        char last = '\n';
        file.getChar(&last);
        if (last != '\n')
            line.prepend("\r\n");
    }
    file.seek(file.size());
    return file.write(line) == line.size() && file.flush();
}

} // namespace quibo
