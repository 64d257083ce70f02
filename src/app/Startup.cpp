#include "app/Startup.h"

#include "ports/MainWindowUi.h"
#include "ports/ProcessControl.h"

#include <QTimer>

namespace quibo {

Startup::Startup(const Timings &timings, ConnectUi &ui, MainWindowView &mainWindow, ProcessControl &process,
                 std::function<void()> startSession, QObject *parent)
    : QObject(parent), m_timings(timings), m_ui(ui), m_mainWindow(mainWindow), m_process(process),
      m_startSession(std::move(startSession))
{
}

void Startup::run()
{
    m_view = m_ui.openConnectDialog();
    m_view->setPrompt(QStringLiteral("Click Connect To Continue"));
    connect(m_view.get(), &ConnectView::connectClicked, this, &Startup::onConnect);
    connect(m_view.get(), &ConnectView::restored, this, &Startup::onRestored);
    connect(m_view.get(), &ConnectView::closed, this, &Startup::onClosed);
}

void Startup::onConnect()
{
    if (m_sessionStarted)
        return;
    m_sessionStarted = true;
    m_view->setConnectEnabled(false);
    m_view->setPrompt(QStringLiteral("Connecting, Please Wait ..."));
    m_view->minimize();
    m_connecting = true;
    QTimer::singleShot(m_timings.connectFocusDelay, this, &Startup::focusMainWindow);
    m_startSession();
}

void Startup::focusMainWindow()
{
    m_view->activate();
    m_mainWindow.activate();
}

void Startup::onRestored()
{
    if (!m_connecting)
        return;
    m_mainWindow.bringForward();
    m_view->minimize();
}

void Startup::onClosed()
{
    // Ends every task at once, without logging off.
    m_process.exitProcess(0);
}

} // namespace quibo
