#include "Passwords.h"

#include <sodium.h>

#include <algorithm>
#include <semaphore>
#include <thread>

namespace quibo::directory::passwords {

namespace {

bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

std::counting_semaphore<> &hashingSlots()
{
    static std::counting_semaphore<> hashers(std::max(1U, std::thread::hardware_concurrency()));
    return hashers;
}

// Holds one of the slots while a hash is computed.
class Slot {
public:
    Slot() { hashingSlots().acquire(); }
    ~Slot() { hashingSlots().release(); }
    Slot(const Slot &) = delete;
    Slot &operator=(const Slot &) = delete;
};

} // namespace

QByteArray hash(const QString &password)
{
    if (!sodiumReady())
        return {};
    const QByteArray bytes = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    const Slot slot;
    if (crypto_pwhash_str_alg(out, bytes.constData(), static_cast<unsigned long long>(bytes.size()),
                              crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE,
                              crypto_pwhash_ALG_ARGON2ID13) != 0)
        return {};
    return QByteArray(out);
}

bool matches(const QByteArray &hashed, const QString &password)
{
    if (!sodiumReady() || hashed.isEmpty() || hashed.size() >= crypto_pwhash_STRBYTES)
        return false;
    const QByteArray bytes = password.toUtf8();
    const Slot slot;
    return crypto_pwhash_str_verify(hashed.constData(), bytes.constData(),
                                    static_cast<unsigned long long>(bytes.size())) == 0;
}

bool sameClassic(const QString &stored, const QString &given)
{
    if (!sodiumReady())
        return false;
    // Equal-length digests compare in constant time whatever the passwords' lengths.
    const auto digest = [](const QString &text) {
        const QByteArray bytes = text.toUtf8();
        QByteArray out(crypto_hash_sha256_BYTES, '\0');
        crypto_hash_sha256(reinterpret_cast<unsigned char *>(out.data()),
                           reinterpret_cast<const unsigned char *>(bytes.constData()),
                           static_cast<unsigned long long>(bytes.size()));
        return out;
    };
    const QByteArray a = digest(stored);
    const QByteArray b = digest(given);
    return sodium_memcmp(a.constData(), b.constData(), static_cast<size_t>(a.size())) == 0;
}

} // namespace quibo::directory::passwords
