#pragma once

#include <QCoro/QCoroTask>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

#include <chrono>

namespace quibo {

// One network interface as far as choosing the own address goes.
struct InterfaceAddresses {
    bool up = false;
    bool loopback = false;
    QList<QHostAddress> addresses;
};

// The own address as dotted IPv4 text: the first IPv4 address of the host name; when that is
// missing or a loopback address (common on Linux, where the host name maps to 127.0.x.x),
// the first non-loopback IPv4 address of an interface that is up; else "127.0.0.1".
QString chooseOwnAddress(const QList<QHostAddress> &hostNameAddresses, const QList<InterfaceAddresses> &interfaces);

// The interfaces of this machine.
QList<InterfaceAddresses> localInterfaces();

// FindOwnAddress: resolves the host name without blocking, giving it up after `limit`.
// `context` owns the wait.
QCoro::Task<QString> findOwnAddress(QObject *context, std::chrono::milliseconds limit);

} // namespace quibo
