#include "app/RouterReach.h"

#include "base/Config.h"
#include "base/DottedAddress.h"
#include "base/Timings.h"
#include "base/Wakeup.h"
#include "reach/PortMapper.h"

#include <QNetworkInterface>

namespace quibo {

namespace reach_rules {

bool isTranslated(const QString &own, const QString &observed)
{
    // No router translates IPv6.
    const QHostAddress seen(observed);
    return seen.protocol() == QAbstractSocket::IPv4Protocol && !seen.isLoopback() && !QHostAddress(own).isLoopback() && seen != QHostAddress(own);
}

bool isGlobalIPv4(const QString &address)
{
    static const std::initializer_list<std::pair<const char *, int>> notRouted{
        {"0.0.0.0", 8},      {"10.0.0.0", 8},      {"100.64.0.0", 10},   {"127.0.0.0", 8},
        {"169.254.0.0", 16}, {"172.16.0.0", 12},   {"192.0.0.0", 24},    {"192.0.2.0", 24},
        {"192.168.0.0", 16}, {"198.18.0.0", 15},   {"198.51.100.0", 24}, {"203.0.113.0", 24},
        {"224.0.0.0", 4},    {"240.0.0.0", 4}};
    const QHostAddress host(address);
    if (!isDottedIPv4(address) || host.protocol() != QAbstractSocket::IPv4Protocol)
        return false;
    return std::none_of(notRouted.begin(), notRouted.end(), [&](const auto &range) {
        return host.isInSubnet(QHostAddress(QString::fromLatin1(range.first)), range.second);
    });
}

QString globalIPv6(const QList<QHostAddress> &addresses)
{
    const QHostAddress global(QStringLiteral("2000::"));
    for (const QHostAddress &address : addresses) {
        if (address.protocol() == QAbstractSocket::IPv6Protocol && address.isInSubnet(global, 3))
            return address.toString();
    }
    return {};
}

QList<WantedPort> wantedPorts(const Config &config)
{
    // The descriptions are what the router's list shows the user.
    return {{config.peerPort, config.peerPort, {}, QStringLiteral("quibo32 peer")},
            {config.channelPort, config.channelPort, {}, QStringLiteral("quibo32 channel")},
            {config.privateChatPort, config.privateChatPort, {}, QStringLiteral("quibo32 private chat")},
            {config.webPort, config.webPort, {}, QStringLiteral("quibo32 web")}};
}

QString publishedPorts(const Config &config)
{
    return config.ports() == ClientPorts{} ? QString() : config.ports().text();
}

Reachability::Reach reachFrom(const QString &observed, const std::optional<MappingReport> &report,
                              const QString &address6)
{
    // Unreachable, the router's address still tells contacts that this client is online, and
    // it cannot lead them to a stranger's machine as a private address could.
    Reachability::Reach reach{observed, address6, {}, {}};
    QStringList taken;
    bool mapped = false;
    if (report && report->gatewayFound) {
        for (const PortOutcome &outcome : report->ports) {
            if (outcome.state == PortState::Taken)
                taken.append(QString::number(outcome.port.externalPort));
        }
        // Without the peer port nothing reaches this client.
        mapped = !report->ports.isEmpty() && report->ports.front().state == PortState::Mapped &&
                 isGlobalIPv4(report->externalAddress);
        if (mapped)
            reach.address = report->externalAddress;
    }
    const bool reachable = mapped || !address6.isEmpty();
    const QString takenText = (taken.size() == 1 ? QStringLiteral("Router Port %1 Taken")
                                                 : QStringLiteral("Router Ports %1 Taken"))
                                  .arg(taken.join(QStringLiteral(", ")));
    if (!reachable)
        reach.status = taken.isEmpty() ? QStringLiteral("Ready - Not Reachable From Outside")
                                       : QStringLiteral("Not Reachable - ") + takenText;
    else if (!taken.isEmpty())
        reach.status = QStringLiteral("Ready - ") + takenText;
    return reach;
}

} // namespace reach_rules

RouterReach::RouterReach(const Config &config, const Timings &timings, QObject *parent)
    : QObject(parent), m_config(config), m_timings(timings)
{
}

RouterReach::~RouterReach() = default;

QCoro::Task<Reachability::Reach> RouterReach::reach(QString own, QString observed)
{
    // Only a listener that takes IPv6 may publish an IPv6 address.
    const bool listensOnIPv6 = m_config.listenAddress == QHostAddress(QHostAddress::Any);
    QString address6 = listensOnIPv6 ? reach_rules::globalIPv6(QNetworkInterface::allAddresses()) : QString();
    if (!m_config.ownAddress6Override.isEmpty())
        address6 = m_config.ownAddress6Override;
    if (isIPv6Literal(own)) // a host with IPv6 alone: no IPv4 to publish, and no router
        co_return Reach{{}, reach_rules::globalIPv6({QHostAddress(own)}), reach_rules::publishedPorts(m_config), {}};
    const QString ports = reach_rules::publishedPorts(m_config);
    if (!reach_rules::isTranslated(own, observed))
        co_return Reach{own, address6, ports, {}};
    if (!m_mapper)
        m_mapper = new PortMapper(m_timings, this);
    m_mapper->mapPorts(reach_rules::wantedPorts(m_config));
    std::optional<MappingReport> report;
    if (co_await nextSignal(m_mapper, &PortMapper::reported, m_timings.portMappingAnswer))
        report = m_mapper->report();
    m_observed = observed;
    m_address6 = address6;
    // Each later round (a late first answer, a renewal) may change what contacts need.
    connect(m_mapper, &PortMapper::reported, this, &RouterReach::renewed, Qt::UniqueConnection);
    co_return mapped(report);
}

Reachability::Reach RouterReach::mapped(const std::optional<MappingReport> &report) const
{
    Reach reach = reach_rules::reachFrom(m_observed, report, m_address6);
    reach.ports = reach_rules::publishedPorts(m_config); // the router forwards each port to the same one here
    return reach;
}

void RouterReach::renewed()
{
    if (m_changed)
        m_changed(mapped(m_mapper->report()));
}

QCoro::Task<> RouterReach::release()
{
    if (!m_mapper)
        co_return;
    disconnect(m_mapper, &PortMapper::reported, this, &RouterReach::renewed);
    m_mapper->unmapAll();
    co_await nextSignal(m_mapper, &PortMapper::unmapped, m_timings.portMappingFarewell);
}

} // namespace quibo
