#pragma once

#include <QString>
#include <QTime>

namespace quibo::web {

// One answered request, as the window lists it.
struct ServedRequest {
    QTime time;
    QString peer;
    QString method;
    QString path;
    int status = 0;
};

// "12:34:56  192.168.1.7  GET  /tmp/my file.txt  200"; control characters in the path show as '?'.
QString formatServedLine(const ServedRequest &request);

} // namespace quibo::web
