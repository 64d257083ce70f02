// How tasks wait, end and go away: Wakeup, startTask and the main window's task.
#include "TestClient.h"

#include "base/Await.h"
#include "base/Tasks.h"
#include "base/ViewSlot.h"
#include "base/Wakeup.h"
#include "mainwindow/MainWindowTask.h"
#include "mainwindow/Selection.h"
#include "peer/PeerSender.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>

using namespace quibo;
using namespace quibo::test;
using namespace std::chrono_literals;

namespace {

// Collects the program's critical messages while it exists.
struct CriticalLog {
    CriticalLog() { lines().clear(); }
    ~CriticalLog() { qInstallMessageHandler(previous); }
    static QStringList &lines()
    {
        static QStringList collected;
        return collected;
    }
    QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
            if (type == QtCriticalMsg)
                lines().append(message);
        });
};

struct Waits {
    std::optional<bool> first;
    std::optional<bool> second;
    qint64 secondMs = -1;
    bool unwound = false; // the frame's locals were destroyed
};

// Sets Waits::unwound when the frame holding it goes.
struct UnwindMark {
    Waits *waits;
    ~UnwindMark() { waits->unwound = true; }
};

QCoro::Task<> waitTwice(Wakeup *wakeup, std::chrono::milliseconds firstLimit, Waits *waits)
{
    const UnwindMark mark{waits};
    waits->first = co_await wakeup->next(firstLimit);
    QElapsedTimer clock;
    clock.start();
    waits->second = co_await wakeup->next(5000ms);
    waits->secondMs = clock.elapsed();
}

QCoro::Task<> waitOnce(Wakeup *wakeup, Waits *waits)
{
    const UnwindMark mark{waits};
    waits->first = co_await wakeup->next();
}

QCoro::Task<> sendBig(RecordSender *sender, quint16 port, Waits *waits)
{
    const UnwindMark mark{waits};
    // More than the loopback's buffers take: the send waits while the peer does not read.
    co_await sender->sendBlock(QStringLiteral("127.0.0.1"), port, QByteArray(32 << 20, 'x'));
    waits->first = true;
}

QCoro::Task<> sleepLong(QObject *context, Waits *waits)
{
    const UnwindMark mark{waits};
    co_await sleepFor(context, 1h);
    waits->first = true;
}

} // namespace

// The time limit and a wake-up fall due in the same pass of the event loop, the wake-up first:
// its resumption is still queued when the time limit ends the wait. It must not end the next.
TEST(Wakeup, AWakeUpQueuedBeforeATimeOutDoesNotEndTheNextWait)
{
    QObject context;
    auto *wakeup = new Wakeup(&context);
    QTimer waker;
    waker.setSingleShot(true);
    QObject::connect(&waker, &QTimer::timeout, wakeup, &Wakeup::wake);
    waker.start(0ms);
    Waits waits;
    waitTwice(wakeup, 0ms, &waits);

    ASSERT_TRUE(waitFor([&] { return waits.first.has_value(); }));
    ASSERT_TRUE(settle()); // the stale resumption runs before this
    EXPECT_FALSE(waits.second.has_value()) << "ended after " << waits.secondMs << " ms";
    wakeup->wake();
    ASSERT_TRUE(waitFor([&] { return waits.second.has_value(); }));
    EXPECT_TRUE(*waits.second);
}

TEST(Wakeup, ASecondWaiterIsRefusedLoudlyAndTheFirstStillWakes)
{
    const CriticalLog log;
    QObject context;
    auto *wakeup = new Wakeup(&context);
    Waits first, second;
    waitOnce(wakeup, &first);
    waitOnce(wakeup, &second);
    EXPECT_EQ(second.first, std::optional(false));
    EXPECT_EQ(log.lines().size(), 1);

    wakeup->wake();
    ASSERT_TRUE(waitFor([&] { return first.first.has_value(); }));
    EXPECT_TRUE(*first.first);
}

// Destroying what a task waits on, or the task's owner, unwinds the task: its frames go and
// none of its code runs again.
TEST(Wakeup, ATaskIsUnwoundWhenItsWaitOrItsOwnerGoes)
{
    {
        auto context = std::make_unique<QObject>();
        Waits waits;
        waitOnce(new Wakeup(context.get()), &waits);
        context.reset();
        EXPECT_TRUE(waits.unwound);
        EXPECT_FALSE(waits.first.has_value());
    }
    {
        // The wait belongs to an object that outlives the owner.
        QObject outside;
        auto *wakeup = new Wakeup(&outside);
        auto owner = std::make_unique<QObject>();
        Waits waits;
        startTask(owner.get(), "test", [wakeup, &waits] { return waitOnce(wakeup, &waits); });
        owner.reset();
        wakeup->wake();
        ASSERT_TRUE(waitFor([&] { return waits.unwound; }));
        EXPECT_FALSE(waits.first.has_value());
    }
}

// The scope's end unwinds its tasks there and then, and what their frames made (a socket, a
// timer, their Wakeups) is deleted with the next pass of the event loop, not with its parent.
TEST(TaskScope, ItsEndCancelsItsTasksAndTheirFramesLeaveNothing)
{
    QTcpServer peer; // accepts and never reads
    ASSERT_TRUE(peer.listen(QHostAddress::LocalHost));
    const Config config;
    const LogonState logon;
    const Timings timings;
    QObject root;
    RecordSender sender(config, logon, timings, &root);
    auto *owner = new QObject(&root);
    auto scope = std::make_unique<TaskScope>(&root);
    Waits sending, sleeping;
    startTask(owner, "send", [&] { return sendBig(&sender, peer.serverPort(), &sending); });
    startTask(&sender, "sleep", [&] { return sleepLong(&root, &sleeping); });
    ASSERT_TRUE(waitFor([&] { return peer.hasPendingConnections(); }));
    ASSERT_EQ(sender.findChildren<QTcpSocket *>().size(), 1);
    ASSERT_EQ(root.findChildren<QTimer *>(Qt::FindDirectChildrenOnly).size(), 1);

    scope.reset();
    EXPECT_TRUE(sending.unwound && sleeping.unwound);
    EXPECT_FALSE(sending.first || sleeping.first);
    startTask(owner, "late", [&] { return sleepLong(&root, &sleeping); });
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(sender.findChildren<QObject *>().isEmpty());
    EXPECT_TRUE(root.findChildren<QTimer *>().isEmpty()) << "a task started after the scope ended";
}

// Replacing an open view would destroy it under the task that runs it.
TEST(ViewSlot, ASecondOpenIsRefusedLoudlyAndTheFirstStays)
{
    const CriticalLog log;
    ViewSlot<QObject> slot("The view");
    QObject *first = slot.open([] { return std::make_unique<QObject>(); });
    bool opened = false;
    EXPECT_EQ(slot.open([&] {
        opened = true;
        return std::make_unique<QObject>();
    }),
              nullptr);
    EXPECT_FALSE(opened);
    EXPECT_EQ(slot.get(), first);
    EXPECT_EQ(log.lines(), QStringList{QStringLiteral("The view is open already: a second one is refused")});
}

TEST(StartTask, AnExceptionInTheMainWindowsTaskLeavesTheWindowWorking)
{
    const CriticalLog log;
    TestClient t;
    ScriptedMainWindow view;
    Selection selection;
    MainWindowTask window(t.client->logon(), selection, view, t.client->contacts(),
                          t.client->notices(), t.shell, t.client->workDir(),
                          []() -> QCoro::Task<> { throw std::runtime_error("no session"); });
    window.open();
    view.closeBox();
    EXPECT_FALSE(window.isBusy());
    EXPECT_EQ(log.lines(),
              QStringList{QStringLiteral("Task \"main window\" ended by an exception: no session")});

    view.choose(Command::About);
    ASSERT_TRUE(waitFor([&] { return !window.isBusy(); }));
    EXPECT_EQ(t.ui.log, QStringList{QStringLiteral("about|main")});
}
