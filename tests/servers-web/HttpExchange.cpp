#include "HttpExchange.h"

#include <QTcpSocket>

namespace quibo::web::test {

QByteArray exchange(quint16 port, const QByteArray &request)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(10000))
        return {};
    socket.write(request);
    QByteArray reply;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(10000))
        reply += socket.readAll();
    return reply + socket.readAll();
}

HttpReply parseReply(const QByteArray &reply)
{
    HttpReply parsed;
    const qsizetype headEnd = reply.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return parsed;
    const QList<QByteArray> lines = reply.left(headEnd).split('\n');
    parsed.status = lines.first().split(' ').value(1).toInt();
    for (const QByteArray &line : lines.mid(1)) {
        if (const qsizetype colon = line.indexOf(':'); colon > 0)
            parsed.headers.insert(line.left(colon).toLower(), line.mid(colon + 1).trimmed());
    }
    parsed.body = reply.mid(headEnd + 4);
    return parsed;
}

HttpReply request(quint16 port, const QByteArray &method, const QByteArray &target)
{
    return parseReply(
        exchange(port, method + ' ' + target + " HTTP/1.1\r\nHost: peer\r\nConnection: close\r\n\r\n"));
}

} // namespace quibo::web::test
