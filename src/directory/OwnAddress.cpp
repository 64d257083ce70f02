#include "directory/OwnAddress.h"

#include "base/Wakeup.h"

#include <QHostInfo>
#include <QNetworkInterface>
#include <QPointer>

#include <memory>

namespace quibo {

namespace {

bool isUsableIPv4(const QHostAddress &address)
{
    return address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback() &&
           !address.isNull() && address != QHostAddress(QHostAddress::AnyIPv4);
}

} // namespace

QString chooseOwnAddress(const QList<QHostAddress> &hostNameAddresses,
                         const QList<InterfaceAddresses> &interfaces)
{
    for (const QHostAddress &address : hostNameAddresses) {
        if (address.protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        if (isUsableIPv4(address))
            return address.toString();
        break; // the first IPv4 address is a loopback one: look at the interfaces
    }
    for (const InterfaceAddresses &interface : interfaces) {
        if (!interface.up || interface.loopback)
            continue;
        for (const QHostAddress &address : interface.addresses) {
            if (isUsableIPv4(address))
                return address.toString();
        }
    }
    return QStringLiteral("127.0.0.1");
}

QList<InterfaceAddresses> localInterfaces()
{
    QList<InterfaceAddresses> result;
    const QList<QNetworkInterface> all = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : all) {
        InterfaceAddresses entry;
        entry.up = interface.flags().testFlag(QNetworkInterface::IsUp) &&
                   interface.flags().testFlag(QNetworkInterface::IsRunning);
        entry.loopback = interface.flags().testFlag(QNetworkInterface::IsLoopBack);
        const QList<QNetworkAddressEntry> entries = interface.addressEntries();
        for (const QNetworkAddressEntry &address : entries)
            entry.addresses.append(address.ip());
        result.append(entry);
    }
    return result;
}

QCoro::Task<QString> findOwnAddress(QObject *context, std::chrono::milliseconds limit)
{
    const FrameOwned<Wakeup> answered(new Wakeup(context));
    // The look-up may answer after the wait has gone. It gets no context object: Qt 6.4 would
    // leak its callback when the context is destroyed before the answer.
    auto found = std::make_shared<QList<QHostAddress>>();
    QHostInfo::lookupHost(QHostInfo::localHostName(),
                          [target = QPointer<Wakeup>(answered.get()), found](const QHostInfo &info) {
                              *found = info.addresses();
                              if (target)
                                  target->wake();
                          });
    const bool inTime = co_await answered->next(limit);
    co_return chooseOwnAddress(inTime ? *found : QList<QHostAddress>{}, localInterfaces());
}

} // namespace quibo
