#pragma once

#include "ports/TrayView.h"

#include <QMenu>
#include <QSystemTrayIcon>

namespace quibo {

// The program's icon in the tray, with the menu "Show Quibo32", "Log Off", "Exit". Where the
// desktop has no tray the icon is simply not seen.
class SystemTray : public TrayView {
    Q_OBJECT
public:
    explicit SystemTray(QObject *parent = nullptr);

    void setToolTip(const QString &text) override;

    [[nodiscard]] QSystemTrayIcon &icon() { return m_icon; }
    [[nodiscard]] QMenu &menu() { return m_menu; }

private:
    QMenu m_menu;
    QSystemTrayIcon m_icon;
};

} // namespace quibo
