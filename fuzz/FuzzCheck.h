#pragma once

// What every fuzz target shares: the input as Qt sees it, and property checks that abort, so
// libFuzzer keeps the input that broke one.

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace quibo::fuzz {

[[noreturn]] inline void fail(const char *file, int line, const char *what)
{
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, what);
    std::abort();
}

inline QByteArray input(const std::uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// True when `bytes` is UTF-8 that decodes without replacement characters.
inline bool isUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    return !decoder.hasError();
}

} // namespace quibo::fuzz

#define FUZZ_CHECK(holds) ((holds) ? void() : ::quibo::fuzz::fail(__FILE__, __LINE__, #holds))
