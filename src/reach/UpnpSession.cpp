#include "reach/UpnpSession.h"

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>

#include <array>

// The signatures used here are those of API 17 (miniupnpc 2.2.x, Debian 12); 18 changed them.
static_assert(MINIUPNPC_API_VERSION == 17, "UpnpSession is written for the miniupnpc API 17");

using namespace Qt::StringLiterals;

namespace quibo {

namespace {

constexpr int conflictInMappingEntry = 718;
constexpr int onlyPermanentLeasesSupported = 725;
constexpr const char *tcp = "TCP";

QByteArray number(int value)
{
    return QByteArray::number(value);
}

QString errorText(int code)
{
    const char *text = strupnperror(code);
    return text ? QString::fromLatin1(text) : u"error %1"_s.arg(code);
}

} // namespace

struct UpnpSession::Gateway {
    UPNPUrls urls{};
    IGDdatas data{};
    std::array<char, 64> lanAddress{};

    Gateway() = default;
    ~Gateway() { FreeUPNPUrls(&urls); }
    Gateway(const Gateway &) = delete;
    Gateway &operator=(const Gateway &) = delete;

    const char *control() const { return urls.controlURL; }
    const char *service() const { return data.first.servicetype; }
};

UpnpSession::UpnpSession(std::chrono::milliseconds discoveryWait) : m_discoveryWait(discoveryWait) {}

UpnpSession::~UpnpSession() = default;

bool UpnpSession::discover(QString &problem)
{
    int error = 0;
    UPNPDev *devices = upnpDiscover(static_cast<int>(m_discoveryWait.count()), nullptr, nullptr, UPNP_LOCAL_PORT_ANY,
                                    0, 2, &error);
    if (!devices) {
        problem = u"no router answered the search for port mapping (UPnP)"_s;
        return false;
    }
    auto gateway = std::make_unique<Gateway>();
    const int found = UPNP_GetValidIGD(devices, &gateway->urls, &gateway->data, gateway->lanAddress.data(),
                                       static_cast<int>(gateway->lanAddress.size()));
    freeUPNPDevlist(devices);
    // 1: a connected gateway; 2: one that says it is not connected, which may still map.
    if (found != 1 && found != 2) {
        problem = u"no device on this network maps ports (UPnP)"_s;
        return false;
    }
    m_gateway = std::move(gateway);
    return true;
}

MappingReport UpnpSession::map(const QList<WantedPort> &wanted, int leaseSeconds)
{
    MappingReport report;
    // A router that has gone silent may be back elsewhere (restarted, new address): look once more.
    for (int attempt = 0; attempt < 2 && !report.gatewayFound; ++attempt) {
        if (!m_gateway && !discover(report.problem))
            break;
        report = ask(wanted, leaseSeconds);
        if (!report.gatewayFound)
            m_gateway.reset();
    }
    if (!report.gatewayFound) {
        report.ports.clear();
        for (const WantedPort &port : wanted)
            report.ports.append({port, PortState::Failed, report.problem});
    }
    return report;
}

MappingReport UpnpSession::ask(const QList<WantedPort> &wanted, int leaseSeconds)
{
    MappingReport report;
    std::array<char, 64> external{};
    const int read = UPNP_GetExternalIPAddress(m_gateway->control(), m_gateway->service(), external.data());
    if (read < 0) { // no answer at all, as opposed to an error the router answered
        report.problem = u"the router does not answer: %1"_s.arg(errorText(read));
        return report;
    }
    report.gatewayFound = true;
    report.externalAddress = read == UPNPCOMMAND_SUCCESS ? QString::fromLatin1(external.data()) : QString();
    report.localAddress = QString::fromLatin1(m_gateway->lanAddress.data());

    QList<quint16> wantedPorts;
    for (const WantedPort &port : wanted) {
        wantedPorts.append(port.externalPort);
        report.ports.append(add(port, leaseSeconds));
    }
    for (const quint16 held : QList<quint16>(m_held)) {
        if (!wantedPorts.contains(held)) {
            remove(held);
            m_held.removeAll(held);
        }
    }
    return report;
}

PortOutcome UpnpSession::add(WantedPort port, int leaseSeconds)
{
    if (port.internalAddress.isEmpty())
        port.internalAddress = QString::fromLatin1(m_gateway->lanAddress.data());
    const int code = addOnce(port, leaseSeconds);
    if (code == UPNPCOMMAND_SUCCESS) {
        if (!m_held.contains(port.externalPort))
            m_held.append(port.externalPort);
        return {port, PortState::Mapped, {}};
    }
    // Someone else's now: never ours to remove. A mapping that failed otherwise may still
    // be held by the router, so it stays on the list to remove.
    if (code == conflictInMappingEntry) {
        m_held.removeAll(port.externalPort);
        return {port, PortState::Taken, holder(port.externalPort)};
    }
    return {port, PortState::Failed, errorText(code)};
}

int UpnpSession::addOnce(const WantedPort &port, int leaseSeconds) const
{
    const QByteArray external = number(port.externalPort);
    const QByteArray internal = number(port.internalPort);
    const QByteArray client = port.internalAddress.toLatin1();
    const QByteArray description = port.description.toUtf8();
    const auto request = [&](int lease) {
        return UPNP_AddPortMapping(m_gateway->control(), m_gateway->service(), external.constData(),
                                   internal.constData(), client.constData(), description.constData(), tcp, nullptr,
                                   number(lease).constData());
    };
    const int code = request(leaseSeconds);
    // Older gateways take permanent mappings only; those are removed all the same.
    return code == onlyPermanentLeasesSupported ? request(0) : code;
}

QString UpnpSession::holder(quint16 externalPort) const
{
    std::array<char, 64> client{};
    std::array<char, 6> internalPort{};
    std::array<char, 80> description{}; // the library writes at most 80 bytes
    std::array<char, 4> enabled{};
    std::array<char, 16> lease{};
    const int code = UPNP_GetSpecificPortMappingEntry(m_gateway->control(), m_gateway->service(),
                                                      number(externalPort).constData(), tcp, nullptr,
                                                      client.data(), internalPort.data(), description.data(),
                                                      enabled.data(), lease.data());
    if (code != UPNPCOMMAND_SUCCESS)
        return {};
    return u"%1:%2 (%3)"_s.arg(QString::fromLatin1(client.data()), QString::fromLatin1(internalPort.data()),
                               QString::fromUtf8(description.data()));
}

void UpnpSession::remove(quint16 externalPort) const
{
    UPNP_DeletePortMapping(m_gateway->control(), m_gateway->service(), number(externalPort).constData(), tcp,
                           nullptr);
}

void UpnpSession::removeAll()
{
    // Without a router to ask, the leases end them.
    if (m_gateway) {
        for (const quint16 port : m_held)
            remove(port);
    }
    m_held.clear();
}

} // namespace quibo
