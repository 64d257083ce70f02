#pragma once

#include <array>

namespace quibo::directory::schema {

// The tables, the same for SQLite and PostgreSQL; creating them again changes nothing.
inline constexpr const char *createUsers = "CREATE TABLE IF NOT EXISTS quibo_users ("
                                           "handle TEXT PRIMARY KEY, password TEXT NOT NULL, "
                                           "first_name TEXT NOT NULL, last_name TEXT NOT NULL, email TEXT NOT NULL, "
                                           "city TEXT NOT NULL, state TEXT NOT NULL, country TEXT NOT NULL, "
                                           "sex TEXT NOT NULL, age TEXT NOT NULL, persinfo TEXT NOT NULL, "
                                           "address TEXT NOT NULL DEFAULT '0')";
inline constexpr const char *createBroadcast = "CREATE TABLE IF NOT EXISTS quibo_broadcast ("
                                               "id INTEGER PRIMARY KEY CHECK (id = 1), body TEXT NOT NULL)";

// Columns added to quibo_users since its first form, in the order they came; a database that
// lacks one gets it at start, and its rows the default. A secure account keeps an empty
// password beside the hash.
struct AddedColumn {
    const char *name;
    const char *definition;
};
inline constexpr std::array<AddedColumn, 5> addedUserColumns{{
    {"kind", "TEXT NOT NULL DEFAULT 'classic' CHECK (kind IN ('classic', 'secure'))"},
    {"password_hash", "TEXT NOT NULL DEFAULT ''"},
    {"key_fingerprint", "TEXT NOT NULL DEFAULT ''"},
    {"address6", "TEXT NOT NULL DEFAULT ''"},
    {"ports", "TEXT NOT NULL DEFAULT ''"},
}};

} // namespace quibo::directory::schema
