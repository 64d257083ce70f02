#include "platform/FreedesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace quibo;
using namespace Qt::StringLiterals;

namespace {

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

// Collects the warnings about notifications while it lives.
class NotificationWarnings {
public:
    NotificationWarnings() { m_previous = qInstallMessageHandler(&collect); }
    ~NotificationWarnings() { qInstallMessageHandler(m_previous); }
    static inline QStringList lines;

private:
    static void collect(QtMsgType, const QMessageLogContext &, const QString &message)
    {
        if (message.contains(u"desktop notifications"_s))
            lines.append(message);
    }
    QtMessageHandler m_previous = nullptr;
};

TEST(Notifications, NotifyNamesTheContactAndAClickComesBackById)
{
    SessionBus bus;
    NotificationService service(bus.connect(u"service"_s));
    FreedesktopNotifier notifier(bus.connect(u"client"_s));
    QSignalSpy activated(&notifier, &DesktopNotifier::activated);

    const QString text = u"<b>hi</b> & "_s + QString(200, u'x');
    const quint32 first = notifier.notify(u"bob"_s, text);
    const quint32 second = notifier.notify(u"carol"_s, u"short"_s);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.calls.size() == 2; }, 10000));
    const NotificationService::Call &call = service.calls[0];
    EXPECT_EQ(call.app, u"Quibo32"_s);
    EXPECT_EQ(call.summary, u"bob"_s);
    EXPECT_EQ(call.body, (text.left(FreedesktopNotifier::BodyCharacters) + QChar(0x2026)).toHtmlEscaped());
    EXPECT_TRUE(call.actions.contains(u"default"_s));
    EXPECT_EQ(service.calls[1].body, u"short"_s);

    // The service's ids are 41 and 42: only the default action of a shown one counts.
    service.emitSignal(u"ActionInvoked"_s, {uint(42), u"other"_s});
    service.emitSignal(u"NotificationClosed"_s, {uint(42), uint(2)});
    service.emitSignal(u"ActionInvoked"_s, {uint(42), u"default"_s});
    service.emitSignal(u"ActionInvoked"_s, {uint(41), u"default"_s});
    ASSERT_TRUE(activated.wait(10000));
    EXPECT_EQ(activated.takeFirst().at(0).toUInt(), first);
    EXPECT_TRUE(activated.isEmpty());
}

TEST(Notifications, WithoutAServiceOrABusNothingShowsAndTheLogSaysSoOnce)
{
    NotificationWarnings warnings;
    NotificationWarnings::lines.clear();
    {
        SessionBus bus;
        QDBusConnection client = bus.connect(u"client"_s);
        FreedesktopNotifier notifier(client);
        notifier.notify(u"bob"_s, u"one"_s);
        notifier.notify(u"bob"_s, u"two"_s);
        ASSERT_TRUE(QTest::qWaitFor([] { return !NotificationWarnings::lines.isEmpty(); }, 10000));
        // A round trip of its own: the answers to both notifications have come by then.
        client.interface()->isServiceRegistered(Interface);
        QCoreApplication::processEvents();
        EXPECT_EQ(NotificationWarnings::lines.size(), 1) << NotificationWarnings::lines.join(u'\n').toStdString();
    }
    NotificationWarnings::lines.clear();
    FreedesktopNotifier offline(QDBusConnection::connectToBus(u"unix:path=/nonexistent/bus"_s, u"offline"_s));
    EXPECT_EQ(offline.notify(u"bob"_s, u"three"_s), 0u);
    EXPECT_EQ(NotificationWarnings::lines.size(), 1);
    QDBusConnection::disconnectFromBus(u"offline"_s);
}

} // namespace

#include "test_notifications.moc"
