#pragma once

#include <QList>
#include <QString>

namespace quibo {

// A TCP port this host wants the router to forward from its outside.
struct WantedPort {
    quint16 externalPort = 0;
    quint16 internalPort = 0;
    QString internalAddress; // empty: this host's address towards the router
    QString description;     // what the router's list shows; a leftover of ours is known by it
};

enum class PortState {
    Mapped,
    Taken, // the router forwards it to someone else (ConflictInMappingEntry, 718)
    Failed,
};

struct PortOutcome {
    WantedPort port;
    PortState state = PortState::Failed;
    QString detail; // Taken: who holds it, as the router says; Failed: why
};

// What one round of asking the router gave.
struct MappingReport {
    bool gatewayFound = false;
    QString problem;          // why there was no router to ask
    QString externalAddress;  // the router's outside address, as it says; empty when it did not
    QString localAddress;     // this host's address towards the router
    QList<PortOutcome> ports; // in the order asked
};

} // namespace quibo
