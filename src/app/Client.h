#pragma once

#include "app/Config.h"
#include "app/Ports.h"
#include "app/Session.h"
#include "app/SessionState.h"
#include "app/Startup.h"
#include "app/Timings.h"
#include "app/WorkingDirectory.h"
#include "ui/Notices.h"

#include <QObject>

namespace quibo {

// One client: its configuration, state and tasks, wired to the ports it was given.
// The program makes one; tests make two or three in one process.
class Client : public QObject {
    Q_OBJECT
public:
    Client(Config config, Timings timings, WorkingDirectory workDir, Ports ports, QObject *parent = nullptr);
    ~Client() override;

    // Shows the start-up dialog; the program ends when it closes.
    void start();

    SessionState &session() { return m_session; }
    PopupCounters &popupCounters() { return m_counters; }
    Notices &notices() { return m_notices; }
    Session &tasks() { return m_tasks; }
    const Config &config() const { return m_config; }
    const Timings &timings() const { return m_timings; }
    const WorkingDirectory &workDir() const { return m_workDir; }

private:
    Config m_config;
    Timings m_timings;
    WorkingDirectory m_workDir;
    Ports m_ports;
    SessionState m_session;
    PopupCounters m_counters;
    Notices m_notices;
    Session m_tasks;
    Startup m_startup;
};

} // namespace quibo
