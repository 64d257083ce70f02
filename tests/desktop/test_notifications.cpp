#include "SessionBus.h"

#include "platform/FreedesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;

namespace {

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
        EXPECT_EQ(NotificationWarnings::lines.size(), 1)
            << NotificationWarnings::lines.join(u'\n').toStdString();
    }
    NotificationWarnings::lines.clear();
    FreedesktopNotifier offline(QDBusConnection::connectToBus(u"unix:path=/nonexistent/bus"_s, u"offline"_s));
    EXPECT_EQ(offline.notify(u"bob"_s, u"three"_s), 0u);
    EXPECT_EQ(NotificationWarnings::lines.size(), 1);
    QDBusConnection::disconnectFromBus(u"offline"_s);
}

} // namespace
