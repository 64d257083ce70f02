#include "QuibowebProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpServer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quibo::web::test {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QString quibowebPath()
{
    QString dir = qEnvironmentVariable("QUIBO_BIN_DIR");
    if (dir.isEmpty())
        dir = QCoreApplication::applicationDirPath();
    return dir + QStringLiteral("/quiboweb");
}

QuibowebProcess::QuibowebProcess(const QStringList &arguments)
{
    m_process.start(quibowebPath(), arguments);
    m_process.waitForStarted();
}

QuibowebProcess::~QuibowebProcess()
{
    if (isRunning()) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

void QuibowebProcess::collect()
{
    m_output += m_process.readAllStandardOutput();
    m_errorOutput += m_process.readAllStandardError();
}

bool QuibowebProcess::waitFor(const QByteArray &text, const QByteArray &in, std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    for (;;) {
        collect();
        if (in.contains(text))
            return true;
        if (!isRunning() || deadline.hasExpired())
            return false;
        m_process.waitForReadyRead(50);
    }
}

bool QuibowebProcess::waitForOutput(const QByteArray &text, std::chrono::milliseconds timeout)
{
    return waitFor(text, m_output, timeout);
}

bool QuibowebProcess::waitForErrorOutput(const QByteArray &text, std::chrono::milliseconds timeout)
{
    return waitFor(text, m_errorOutput, timeout);
}

bool QuibowebProcess::waitForExit(std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    while (isRunning() && !deadline.hasExpired()) {
        QCoreApplication::processEvents();
        m_process.waitForFinished(20);
    }
    collect();
    return !isRunning();
}

QByteArray exchange(quint16 port, const QByteArray &request)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    timeval timeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QByteArray reply;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        && ::send(fd, request.constData(), static_cast<size_t>(request.size()), MSG_NOSIGNAL) == request.size()) {
        QByteArray chunk(1 << 20, Qt::Uninitialized);
        ssize_t got = 0;
        while ((got = ::recv(fd, chunk.data(), static_cast<size_t>(chunk.size()), 0)) > 0)
            reply.append(chunk.constData(), got);
    }
    ::close(fd);
    return reply;
}

HttpReply parseReply(const QByteArray &reply)
{
    HttpReply parsed;
    const qsizetype headEnd = reply.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return parsed;
    const QList<QByteArray> lines = reply.left(headEnd).split('\n');
    const QList<QByteArray> statusLine = lines.first().split(' ');
    parsed.status = statusLine.size() > 1 ? statusLine.at(1).toInt() : 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines.at(i).indexOf(':');
        if (colon > 0)
            parsed.headers.insert(lines.at(i).left(colon).toLower(), lines.at(i).mid(colon + 1).trimmed());
    }
    parsed.body = reply.mid(headEnd + 4);
    return parsed;
}

HttpReply request(quint16 port, const QByteArray &method, const QByteArray &target)
{
    return parseReply(exchange(port, method + ' ' + target + " HTTP/1.1\r\nHost: peer\r\nConnection: close\r\n\r\n"));
}

} // namespace quibo::web::test
