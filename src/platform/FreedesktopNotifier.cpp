#include "platform/FreedesktopNotifier.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include <utility>

namespace quibo {

namespace {
const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
const QString DefaultAction = QStringLiteral("default");
// A service that never says a notification closed cannot make the list grow without end.
constexpr qsizetype MaxRemembered = 64;
} // namespace

QString notificationBody(const QString &text)
{
    QString body = text;
    qsizetype characters = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate())
            continue;
        if (++characters > FreedesktopNotifier::BodyCharacters) {
            body = text.left(i) + QChar(0x2026);
            break;
        }
    }
    return body.toHtmlEscaped();
}

FreedesktopNotifier::FreedesktopNotifier(QDBusConnection bus, QObject *parent)
    : DesktopNotifier(parent), m_bus(std::move(bus))
{
    if (!m_bus.isConnected()) {
        warnOnce(QStringLiteral("there is no session bus"));
        return;
    }
    m_bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
                  SLOT(onActionInvoked(uint, QString)));
    m_bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this,
                  SLOT(onClosed(uint, uint)));
}

quint32 FreedesktopNotifier::notify(const QString &summary, const QString &body)
{
    if (!m_bus.isConnected())
        return 0;
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("quibo32")},
                            {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}};
    call << QStringLiteral("Quibo32") << uint(0) << QStringLiteral("quibo32") << summary
         << notificationBody(body) << QStringList{DefaultAction, QStringLiteral("Show")} << hints << -1;
    const quint32 id = ++m_lastId;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, id](QDBusPendingCallWatcher *done) {
        done->deleteLater();
        const QDBusPendingReply<uint> reply = *done;
        if (reply.isError()) {
            warnOnce(reply.error().message());
            return;
        }
        if (m_shown.size() >= MaxRemembered)
            m_shown.removeFirst();
        m_shown.append({reply.value(), id});
    });
    return id;
}

void FreedesktopNotifier::onActionInvoked(uint serverId, const QString &action)
{
    if (action != DefaultAction)
        return;
    for (const auto &[server, ours] : std::as_const(m_shown)) {
        if (server == serverId) {
            Q_EMIT activated(ours);
            return;
        }
    }
}

void FreedesktopNotifier::onClosed(uint serverId, uint)
{
    m_shown.removeIf([serverId](const QPair<uint, quint32> &shown) { return shown.first == serverId; });
}

void FreedesktopNotifier::warnOnce(const QString &why)
{
    if (std::exchange(m_warned, true))
        return;
    qWarning("quibo32: desktop notifications are off: %s", qUtf8Printable(why));
}

} // namespace quibo
