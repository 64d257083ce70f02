#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace quibo::web {

struct TakenField {
    QByteArray head;                // without the field's lines
    std::optional<QByteArray> value; // nullopt when absent; several lines joined as one list
};

// Takes every field named `name` out of a request head (request line, fields, blank line),
// matching the lines the HTTP library would read as that field: names compared without case,
// lines ending in CRLF. The library answers 416 to a Range it cannot parse, where the HTTP rules
// say to ignore it, and does not clip one past the end; so the Range fields are taken out before
// it sees them and handled by parseRange.
TakenField takeField(const QByteArray &head, QByteArrayView name);

// `text` without the spaces and tabs around it, as a field value is read.
QByteArrayView trimBlanks(QByteArrayView text);

} // namespace quibo::web
