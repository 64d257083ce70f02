#include "base/Utf8.h"

#include <QStringDecoder>

namespace quibo::utf8 {

namespace {
bool isContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Length of the sequence a lead byte announces (1 for ASCII or a stray byte).
qsizetype sequenceLength(char c)
{
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0xF0)
        return 4;
    if (u >= 0xE0)
        return 3;
    if (u >= 0xC0)
        return 2;
    return 1;
}
} // namespace

QByteArray trimPartialTail(QByteArray bytes)
{
    qsizetype lead = bytes.size() - 1;
    while (lead >= 0 && lead > bytes.size() - 4 && isContinuation(bytes.at(lead)))
        --lead;
    if (lead >= 0 && lead + sequenceLength(bytes.at(lead)) > bytes.size())
        bytes.truncate(lead);
    return bytes;
}

QByteArray encodeCut(const QString &text, qsizetype maxBytes)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.size() <= maxBytes)
        return bytes;
    return trimPartialTail(bytes.left(std::max<qsizetype>(0, maxBytes)));
}

QString decode(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(bytes);
}

QString cut(const QString &text, qsizetype maxBytes)
{
    return decode(encodeCut(text, maxBytes));
}

} // namespace quibo::utf8
