#include "app/DesktopAttention.h"

#include "mainwindow/Commands.h"
#include "ports/DesktopNotifier.h"
#include "ports/MainWindowUi.h"
#include "ports/TrayView.h"

namespace quibo {

DesktopAttention::DesktopAttention(MainWindowView &mainWindow, DesktopNotifier &notifier, TrayView &tray,
                                   QObject *parent)
    : QObject(parent), m_mainWindow(mainWindow), m_notifier(notifier), m_tray(tray)
{
    connect(&m_notifier, &DesktopNotifier::activated, this, &DesktopAttention::activated);
    connect(&tray, &TrayView::showMainWindowChosen, this, [this] { m_mainWindow.bringForward(); });
    // As if chosen in the main window: its task runs them in turn with everything else.
    connect(&tray, &TrayView::logOffChosen, this,
            [this] { Q_EMIT m_mainWindow.commandChosen(int(Command::LogOff)); });
    connect(&tray, &TrayView::exitChosen, this,
            [this] { Q_EMIT m_mainWindow.commandChosen(int(Command::Exit)); });
}

void DesktopAttention::arrived(const QString &contact, const QString &text, BringForward bringForward)
{
    if (m_mainWindow.isActive())
        return; // the user is here and sees the window open
    const quint32 id = m_notifier.notify(contact, text);
    if (id == 0)
        return;
    m_shown[id] = std::move(bringForward);
    while (m_shown.size() > Remembered)
        m_shown.erase(m_shown.begin()); // ids grow: the first is the oldest
}

void DesktopAttention::activated(quint32 id)
{
    const auto found = m_shown.find(id);
    BringForward bringForward = found == m_shown.end() ? BringForward() : std::move(found->second);
    if (found != m_shown.end())
        m_shown.erase(found);
    if (!bringForward || !bringForward())
        m_mainWindow.bringForward();
}

} // namespace quibo
