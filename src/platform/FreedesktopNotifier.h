#pragma once

#include "ports/DesktopNotifier.h"

#include <QDBusConnection>
#include <QList>
#include <QPair>

namespace quibo {

// The start of `text` as a notification's body: at most BodyCharacters characters, never a
// half one, with "…" when cut, escaped for servers that read the body as markup.
QString notificationBody(const QString &text);

// Desktop notifications through org.freedesktop.Notifications on the session bus. Without a
// bus or a notification service it shows nothing and says so once in the log.
class FreedesktopNotifier : public DesktopNotifier {
    Q_OBJECT
public:
    static constexpr qsizetype BodyCharacters = 120;

    explicit FreedesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);

    quint32 notify(const QString &summary, const QString &body) override;

private Q_SLOTS:
    void onActionInvoked(uint serverId, const QString &action);
    void onClosed(uint serverId, uint reason);

private:
    void warnOnce(const QString &why);

    QDBusConnection m_bus;
    quint32 m_lastId = 0;
    // The server's ids of the notifications still shown, with ours; the oldest first.
    QList<QPair<uint, quint32>> m_shown;
    bool m_warned = false;
};

} // namespace quibo
