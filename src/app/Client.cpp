#include "app/Client.h"

namespace quibo {

namespace {
Ports checked(Ports ports)
{
    Q_ASSERT(ports.connect && ports.mainWindow && ports.notices && ports.sound && ports.shell && ports.process);
    return ports;
}
} // namespace

Client::Client(Config config, Timings timings, WorkingDirectory workDir, Ports ports, QObject *parent)
    : QObject(parent), m_config(std::move(config)), m_timings(timings), m_workDir(std::move(workDir)),
      m_ports(checked(ports)), m_notices(*this, *m_ports.notices, *m_ports.sound, m_timings, m_counters),
      m_tasks(m_session, *m_ports.mainWindow, *m_ports.process),
      m_startup(m_session, m_timings, *m_ports.connect, *m_ports.mainWindow, *m_ports.process,
                [this] { m_tasks.start(); })
{
}

Client::~Client() = default;

void Client::start()
{
    m_startup.run();
}

} // namespace quibo
