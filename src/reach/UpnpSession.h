#pragma once

#include "reach/PortMapping.h"

#include <chrono>
#include <memory>

namespace quibo {

// The home router as libminiupnpc sees it, with the mappings this session made there. Every
// call blocks: discovery for its whole wait, each request up to the library's own time-outs
// (seconds). Only the port mapper's worker thread uses it.
class UpnpSession {
public:
    explicit UpnpSession(std::chrono::milliseconds discoveryWait);
    ~UpnpSession();
    UpnpSession(const UpnpSession &) = delete;
    UpnpSession &operator=(const UpnpSession &) = delete;

    // Finds the router if it is not known yet, reads its outside address, asks it for every
    // port of `wanted` for `leaseSeconds` (again: a renewal), and removes the mappings held
    // before that are no longer wanted.
    MappingReport map(const QList<WantedPort> &wanted, int leaseSeconds);
    // Removes every mapping this session holds.
    void removeAll();

private:
    struct Gateway;
    bool discover(QString &problem);
    MappingReport ask(const QList<WantedPort> &wanted, int leaseSeconds);
    PortOutcome add(WantedPort port, int leaseSeconds);
    int addOnce(const WantedPort &port, int leaseSeconds) const;
    // Who holds `externalPort` on the router: "address:port (description)"; empty when it
    // does not say.
    QString holder(quint16 externalPort) const;
    void remove(quint16 externalPort) const;

    std::chrono::milliseconds m_discoveryWait;
    std::unique_ptr<Gateway> m_gateway;
    QList<quint16> m_held; // external ports mapped by this session
};

} // namespace quibo
