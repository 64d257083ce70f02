#pragma once

#include <QByteArray>
#include <QString>

namespace quibo::directory::passwords {

// A salted Argon2id hash of `password` at libsodium's interactive cost, in its own text form
// ("$argon2id$v=19$..."); empty when there was no memory for it. Slow on purpose (about 0.1 s
// and 64 MiB): run it outside any database transaction. At most one hash per processor is
// computed at a time, so that many requests at once cannot exhaust the memory.
QByteArray hash(const QString &password);

// Whether `password` is the one `hashed` was made from; as slow as hash().
bool matches(const QByteArray &hashed, const QString &password);

// Whether a classic account's stored password is `given`, in a time that does not depend on
// where they differ.
bool sameClassic(const QString &stored, const QString &given);

} // namespace quibo::directory::passwords
