#pragma once

#include "base/Timings.h"
#include "ports/ConnectUi.h"

#include <QObject>

#include <functional>

namespace quibo {

class MainWindowView;
class ProcessControl;

// The program's start: the start-up dialog, Connect, and the end when that dialog closes.
// After Connect the minimised dialog stands for the program in the task bar and forwards
// itself to the main window.
class Startup : public QObject {
    Q_OBJECT
public:
    Startup(const Timings &timings, ConnectUi &ui, MainWindowView &mainWindow, ProcessControl &process,
            std::function<void()> startSession, QObject *parent = nullptr);

    void run();
    // Connect without the click (once the dialog is open).
    void connectNow() { onConnect(); }
    // Connect was pressed: the session is starting or under way.
    [[nodiscard]] bool connecting() const { return m_connecting; }

private:
    void onConnect();
    void onRestored();
    void onClosed();
    void focusMainWindow();

    const Timings &m_timings;
    ConnectUi &m_ui;
    MainWindowView &m_mainWindow;
    ProcessControl &m_process;
    std::function<void()> m_startSession;
    std::unique_ptr<ConnectView> m_view;
    bool m_sessionStarted = false;
    bool m_connecting = false;
};

} // namespace quibo
