#include "reach/PortMapper.h"

#include "reach/UpnpSession.h"

#include <algorithm>

namespace quibo {

PortMapper::PortMapper(const Timings &timings, QObject *parent)
    : QObject(parent), m_lease(timings.portMappingLease), m_farewell(timings.portMappingFarewell),
      m_session(std::make_shared<UpnpSession>(timings.portMappingDiscovery)), m_jobs(this)
{
    m_renewal.setSingleShot(true);
    m_renewal.setInterval(std::max(std::chrono::milliseconds(1), m_lease / 2));
    connect(&m_renewal, &QTimer::timeout, this, &PortMapper::startRound);
}

PortMapper::~PortMapper()
{
    m_jobs.post([session = m_session] {
        session->removeAll();
        return JobThread::Result();
    });
    m_jobs.finish(m_farewell);
}

void PortMapper::mapPorts(QList<WantedPort> wanted)
{
    m_wanted = std::move(wanted);
    ++m_generation;
    m_renewal.stop();
    startRound();
}

void PortMapper::unmapAll()
{
    m_wanted.clear();
    ++m_generation;
    m_renewal.stop();
    m_jobs.post([this, session = m_session]() -> JobThread::Result {
        session->removeAll();
        return [this] {
            m_report = {};
            Q_EMIT unmapped();
        };
    });
}

void PortMapper::startRound()
{
    // The lease in whole seconds, as the router takes it; 0 would ask for a permanent one.
    const int leaseSeconds =
        std::max(1, static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(m_lease).count()));
    m_jobs.post([this, session = m_session, wanted = m_wanted, generation = m_generation,
                 leaseSeconds]() -> JobThread::Result {
        return [this, generation, report = session->map(wanted, leaseSeconds)] { roundEnded(generation, report); };
    });
}

void PortMapper::roundEnded(quint64 generation, MappingReport report)
{
    if (generation != m_generation)
        return;
    m_report = std::move(report);
    m_renewal.start();
    Q_EMIT reported();
}

} // namespace quibo
