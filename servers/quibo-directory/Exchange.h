#pragma once

#include <QByteArray>
#include <QString>

namespace quibo::directory {

// One request, as the endpoints see it.
struct Request {
    bool post = false;
    QByteArrayView target;
    QByteArrayView body;
    bool overTls = false;
    // The fingerprint of the client certificate's key, for a POST over TLS that came with one.
    QByteArray clientKey;
    QString source; // the connection's source address
};

struct Reply {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    int retryAfterSeconds = 0; // for 429
};

} // namespace quibo::directory
