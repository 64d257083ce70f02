#pragma once

#include "directory/Reachability.h"
#include "reach/PortMapping.h"

#include <QHostAddress>
#include <QObject>

#include <optional>

namespace quibo {

struct Config;
struct Timings;
class PortMapper;

namespace reach_rules {
// True when a translating router stands between this host and the directory: `observed` is
// IPv4, differs from `own`, and neither is this machine's loopback.
bool isTranslated(const QString &own, const QString &observed);
// A dotted IPv4 address the internet routes (not private, shared, loopback, link-local,
// documentation, multicast or reserved).
bool isGlobalIPv4(const QString &address);
// The first of `addresses` in 2000::/3, as text; empty when none is.
QString globalIPv6(const QList<QHostAddress> &addresses);
// What the router is asked to forward: the peer port, both chat ports and the web server's.
QList<WantedPort> wantedPorts(const Config &config);
// The ports to publish: this client's, where they are not the fixed ones; else empty.
QString publishedPorts(const Config &config);
// What to publish and say, from the router's first answer (none: it did not answer in time).
Reachability::Reach reachFrom(const QString &observed, const std::optional<MappingReport> &report,
                              const QString &address6);
} // namespace reach_rules

// The client's reach through its home router: behind a translating one, the ports are mapped
// there (and renewed by the mapper while logged on) and the router's outside address is
// published; a global IPv6 address goes beside it, where the listener takes IPv6.
class RouterReach : public QObject, public Reachability {
    Q_OBJECT
public:
    // `config` and `timings` must outlive it.
    RouterReach(const Config &config, const Timings &timings, QObject *parent = nullptr);
    ~RouterReach() override;
    RouterReach(const RouterReach &) = delete;
    RouterReach &operator=(const RouterReach &) = delete;

    QCoro::Task<Reach> reach(QString own, QString observed) override;
    void watch(Changed changed) override { m_changed = std::move(changed); }
    QCoro::Task<> release() override;

private:
    void renewed();
    [[nodiscard]] Reach mapped(const std::optional<MappingReport> &report) const;

    const Config &m_config;
    const Timings &m_timings;
    PortMapper *m_mapper = nullptr; // made behind a translating router only
    // What each later round is judged with.
    QString m_observed;
    QString m_address6;
    Changed m_changed;
};

} // namespace quibo
