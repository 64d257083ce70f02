#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>

#include <optional>

namespace quibo {

// A response's status line and fields, as they came before the body.
struct ResponseHead {
    int status = 0; // 100 to 999
    QList<QPair<QByteArray, QByteArray>> fields;
    qint64 contentLength = -1; // -1: none given, the body ends with the connection
};

// The head (up to and without its empty line); nullopt when it is not an HTTP/1.x response
// whose body this reader can frame (a status below 100, a transfer coding, a Content-Length
// that is no number or given twice differently).
std::optional<ResponseHead> parseResponseHead(QByteArrayView head);

} // namespace quibo
