#pragma once

#include <QString>
#include <QDateTime>

namespace quibo::web {

// One answered request, as the window lists it.
struct ServedRequest {
    QDateTime time; // taken in UTC: local time is only worked out on the window's thread
    QString peer;
    QString method;
    QString path;
    int status = 0;
};

// "12:34:56  192.168.1.7  GET  /tmp/my file.txt  200"; control characters in the path show as '?'.
QString formatServedLine(const ServedRequest &request);

} // namespace quibo::web
