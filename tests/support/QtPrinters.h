#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <ostream>

// Readable GoogleTest failure messages for Qt values.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QByteArray &b, std::ostream *os)
{
    *os << '"' << b.toStdString() << "\" (" << b.size() << " bytes)";
}
inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << "[\"" << l.join(QStringLiteral("\", \"")).toStdString() << "\"]";
}
