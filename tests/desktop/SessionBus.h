#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QTemporaryDir>

namespace quibo::test {

using namespace Qt::StringLiterals;

const QString Path = u"/org/freedesktop/Notifications"_s;
const QString Interface = u"org.freedesktop.Notifications"_s;

// A session bus of the test's own: dbus-daemon with no services to start on demand.
class SessionBus {
public:
    SessionBus()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_DATA_DIRS"_s, m_empty.path());
        environment.insert(u"XDG_DATA_HOME"_s, m_empty.path());
        m_daemon.setProcessEnvironment(environment);
        m_daemon.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
        if (m_daemon.waitForReadyRead(10000))
            m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    }
    ~SessionBus()
    {
        for (const QString &name : std::as_const(m_names))
            QDBusConnection::disconnectFromBus(name);
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    QDBusConnection connect(const QString &name)
    {
        m_names.append(name);
        return QDBusConnection::connectToBus(m_address, name);
    }

private:
    QTemporaryDir m_empty;
    QProcess m_daemon;
    QString m_address;
    QStringList m_names;
};

// A desktop's notification service that records what it is asked.
class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString app;
        QString summary;
        QString body;
        QStringList actions;
    };

    explicit NotificationService(QDBusConnection bus) : m_bus(std::move(bus))
    {
        m_bus.registerObject(Path, this, QDBusConnection::ExportAllSlots);
        m_bus.registerService(Interface);
    }

    // The server's signals, as when the user clicks or the notification goes.
    void emitSignal(const QString &name, const QVariantList &arguments)
    {
        QDBusMessage signal = QDBusMessage::createSignal(Path, Interface, name);
        signal.setArguments(arguments);
        m_bus.send(signal);
    }

    QList<Call> calls;

public Q_SLOTS:
    uint Notify(const QString &app, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &actions, const QVariantMap &, int)
    {
        calls.append({app, summary, body, actions});
        return 40 + uint(calls.size());
    }
    QStringList GetCapabilities() { return {u"actions"_s, u"body"_s}; }

private:
    QDBusConnection m_bus;
};

} // namespace quibo::test
