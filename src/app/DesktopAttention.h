#pragma once

#include "platform/TrayStatus.h"
#include "ports/Attention.h"

#include <QObject>

#include <map>

namespace quibo {

class DesktopNotifier;
class MainWindowView;
class TrayView;

// Tells the desktop what arrives: a notification while the main window is not the active
// window, whose click raises the window it names, and the tray icon's handle and unread count.
// The tray's menu acts as the main window's own commands do.
class DesktopAttention : public QObject, public Attention {
    Q_OBJECT
public:
    // How many clicked notifications it remembers: older ones raise the main window.
    static constexpr std::size_t Remembered = 32;

    DesktopAttention(MainWindowView &mainWindow, DesktopNotifier &notifier, TrayView &tray,
                     QObject *parent = nullptr);

    void arrived(const QString &contact, const QString &text, BringForward bringForward) override;
    void messageShown() override { m_tray.received(); }
    void messageRead() override { m_tray.read(); }
    // The handle the tray shows; empty while logged off.
    void setHandle(const QString &handle) { m_tray.setHandle(handle); }
    [[nodiscard]] const TrayStatus &tray() const { return m_tray; }

private:
    void activated(quint32 id);

    MainWindowView &m_mainWindow;
    DesktopNotifier &m_notifier;
    TrayStatus m_tray;
    std::map<quint32, BringForward> m_shown;
};

} // namespace quibo
