#pragma once

#include "base/Timings.h"
#include "reach/JobThread.h"
#include "reach/PortMapping.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace quibo {

class UpnpSession;

// Keeps TCP ports forwarded to this host by the home router (UPnP IGD), without ever making
// the GUI thread wait: the router is asked from one worker thread, and each round's result
// comes back as a signal. While ports are wanted, a round runs again every half lease, which
// renews them and, after a router was not found or stopped answering, looks for it anew.
class PortMapper : public QObject {
    Q_OBJECT
public:
    explicit PortMapper(const Timings &timings, QObject *parent = nullptr);
    // Removes the mappings still held, waiting for the router at most
    // Timings::portMappingFarewell; after unmapAll() and `unmapped` there is nothing to wait for.
    ~PortMapper() override;
    PortMapper(const PortMapper &) = delete;
    PortMapper &operator=(const PortMapper &) = delete;

    // Asks for `wanted` from now on, instead of what was wanted before.
    void mapPorts(QList<WantedPort> wanted);
    // Removes every mapping made and stops renewing; `unmapped` when the router has been told.
    void unmapAll();

    // The last round's result.
    [[nodiscard]] const MappingReport &report() const { return m_report; }

Q_SIGNALS:
    void reported();
    void unmapped();

private:
    void startRound();
    void roundEnded(quint64 generation, MappingReport report);

    std::chrono::milliseconds m_lease;
    std::chrono::milliseconds m_farewell;
    QList<WantedPort> m_wanted;
    quint64 m_generation = 0; // changes with what is wanted; a round for an older wish is ignored
    MappingReport m_report;
    QTimer m_renewal;
    std::shared_ptr<UpnpSession> m_session;
    JobThread m_jobs;
};

} // namespace quibo
