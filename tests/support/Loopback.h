#pragma once

#include <QHostAddress>
#include <QString>
#include <QTcpServer>

#include <unistd.h>

namespace quibo::test {

// This test process's own loopback addresses, 127.A.B.host with A.B taken from the process id
// (all of 127/8 is loopback on Linux). Test processes run side by side (ctest -j) never share
// an address, so a port found free on one stays free for the process that found it. Host 1 of
// the range stands for "this machine" where a test needs a server or a port nobody uses;
// 127.0.0.1 itself keeps its meaning where the program gives it one (LoopBack).
inline QString loopback(int host)
{
    static const unsigned pid = unsigned(::getpid());
    return QStringLiteral("127.%1.%2.%3").arg(1 + (pid >> 8) % 254).arg(pid & 0xff).arg(host);
}

// A port that nothing listens on at `address`, as far as can be told.
inline quint16 freeLoopbackPort(const QString &address = loopback(1))
{
    QTcpServer probe;
    return probe.listen(QHostAddress(address), 0) ? probe.serverPort() : 0;
}

} // namespace quibo::test
