#pragma once

#include <QByteArray>
#include <QString>

namespace quibo::utf8 {

// UTF-8 of `text`, cut to at most `maxBytes` bytes without splitting a character.
QByteArray encodeCut(const QString &text, qsizetype maxBytes);
// The text of `bytes`; a leading U+FEFF is kept as a character, not dropped as a byte-order mark.
QString decode(const QByteArray &bytes);
// `text` cut so that its UTF-8 form fits `maxBytes` bytes.
QString cut(const QString &text, qsizetype maxBytes);
// Bytes cut back to a whole number of UTF-8 characters (drops a trailing partial sequence).
QByteArray trimPartialTail(QByteArray bytes);

} // namespace quibo::utf8
