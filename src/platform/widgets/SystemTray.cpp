#include "platform/widgets/SystemTray.h"

#include <QApplication>

namespace quibo {

SystemTray::SystemTray(QObject *parent) : TrayView(parent), m_icon(QApplication::windowIcon())
{
    m_menu.addAction(QStringLiteral("&Show Quibo32"), this, &TrayView::showMainWindowChosen);
    m_menu.addAction(QStringLiteral("&Log Off"), this, &TrayView::logOffChosen);
    m_menu.addAction(QStringLiteral("E&xit"), this, &TrayView::exitChosen);
    m_icon.setContextMenu(&m_menu);
    connect(&m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            Q_EMIT showMainWindowChosen();
    });
    if (QSystemTrayIcon::isSystemTrayAvailable())
        m_icon.show();
}

void SystemTray::setToolTip(const QString &text)
{
    m_icon.setToolTip(text);
}

} // namespace quibo
