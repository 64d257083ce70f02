#pragma once

#include <QString>

namespace quibo {

class TrayView;

// "Quibo32 - anna" and how many received messages wait unread, the tray icon's tooltip.
QString trayToolTip(const QString &handle, int unread);

// What the tray icon shows: the user's handle and the count of unread messages, which the
// features move as messages arrive and are read.
class TrayStatus {
public:
    explicit TrayStatus(TrayView &view);

    // Empty while not logged on.
    void setHandle(QString handle);
    void received();
    void read();
    [[nodiscard]] int unread() const { return m_unread; }

private:
    void show();

    TrayView &m_view;
    QString m_handle;
    int m_unread = 0;
};

} // namespace quibo
