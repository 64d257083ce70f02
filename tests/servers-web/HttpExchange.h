#pragma once

#include "QuibowebProcess.h"
#include "TestFiles.h"

#include <QByteArray>
#include <QMap>

namespace quibo::web::test {

using quibo::test::freeLoopbackPort;
using quibo::test::QuibowebProcess;

struct HttpReply {
    int status = 0;                       // 0: no reply
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
};

// Sends `request` byte for byte to 127.0.0.1:port and reads until the server closes.
QByteArray exchange(quint16 port, const QByteArray &request);
// Splits a reply into status, headers and body.
HttpReply parseReply(const QByteArray &reply);
// One request with "Connection: close", the target sent exactly as given.
HttpReply request(quint16 port, const QByteArray &method, const QByteArray &target);

} // namespace quibo::web::test
