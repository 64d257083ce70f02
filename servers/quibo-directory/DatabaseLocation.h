#pragma once

#include <QString>

#include <variant>

namespace quibo::directory {

// Which database the directory keeps its data in: an SQLite file, or a PostgreSQL
// server given as a postgresql:// URL.
struct DatabaseLocation {
    enum class Kind { Sqlite, Postgres };
    Kind kind = Kind::Sqlite;
    QString sqlitePath;
    // PostgreSQL
    QString host;
    int port = -1;
    QString user;
    QString password;
    QString databaseName;
    QString connectOptions; // "key=value;key=value", libpq connection keywords

    // For messages: the file, or the URL without its password.
    QString describe() const;
};

struct LocationError {
    QString message;
};

std::variant<DatabaseLocation, LocationError> parseDatabaseLocation(const QString &text);

} // namespace quibo::directory
