#include "ServedRequest.h"

namespace quibo::web {

QString formatServedLine(const ServedRequest &request)
{
    QString path = request.path;
    for (QChar &c : path) {
        if (c.category() == QChar::Other_Control)
            c = u'?';
    }
    return QStringLiteral("%1  %2  %3  %4  %5")
        .arg(request.time.toLocalTime().toString(QStringLiteral("HH:mm:ss")),
             request.peer.isEmpty() ? QStringLiteral("?") : request.peer,
             request.method.isEmpty() ? QStringLiteral("-") : request.method, path,
             QString::number(request.status));
}

} // namespace quibo::web
