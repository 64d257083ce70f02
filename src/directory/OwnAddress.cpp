#include "directory/OwnAddress.h"

#include <QCoro/QCoroSignal>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QTimer>

namespace quibo {

namespace {

bool isUsableIPv4(const QHostAddress &address)
{
    return address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback() && !address.isNull()
           && address != QHostAddress(QHostAddress::AnyIPv4);
}

// Answers one host name look-up, or nothing once the time is up, whichever comes first.
class HostLookup : public QObject {
    Q_OBJECT
public:
    HostLookup(QObject *parent, std::chrono::milliseconds limit) : QObject(parent)
    {
        auto *timer = new QTimer(this);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, [this] { finish({}); });
        timer->start(limit);
        QHostInfo::lookupHost(QHostInfo::localHostName(), this,
                              [this](const QHostInfo &info) { finish(info.addresses()); });
    }

Q_SIGNALS:
    void finished(QList<QHostAddress> addresses);

private:
    void finish(const QList<QHostAddress> &addresses)
    {
        if (m_done)
            return;
        m_done = true;
        Q_EMIT finished(addresses);
    }
    bool m_done = false;
};

} // namespace

QString chooseOwnAddress(const QList<QHostAddress> &hostNameAddresses, const QList<InterfaceAddresses> &interfaces)
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
        entry.up = interface.flags().testFlag(QNetworkInterface::IsUp)
                   && interface.flags().testFlag(QNetworkInterface::IsRunning);
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
    auto *lookup = new HostLookup(context, limit);
    const QList<QHostAddress> addresses = co_await qCoro(lookup, &HostLookup::finished);
    lookup->deleteLater();
    co_return chooseOwnAddress(addresses, localInterfaces());
}

} // namespace quibo

#include "OwnAddress.moc"
