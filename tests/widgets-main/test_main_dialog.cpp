// The real start-up dialog and main window.
#include "FakePlatform.h"
#include "PeerNetwork.h"
#include "WidgetTestKit.h"

#include "app/Client.h"
#include "app/Startup.h"
#include "app/widgets/WidgetConnectUi.h"
#include "app/widgets/WidgetPorts.h"
#include "mainwindow/widgets/CMainDlg.h"
#include "notices/widgets/CSendingDlg.h"
#include "notices/widgets/CSmileyDlg.h"
#include "peer/Listener.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;

namespace {

// A client with the program's windows and dialogs, listening on 127.0.0.1 at a free port as
// after logon, with "LoopBack" listed. Sound, shell, the process end and the web server's
// window are fakes.
struct WidgetClient {
    WidgetClient()
    {
        Config config;
        config.listenAddress = QHostAddress(QStringLiteral("127.0.0.1"));
        config.peerPort = freeLoopbackPort(u"127.0.0.1"_s);
        Ports ports;
        widgets.fill(ports);
        ports.sound = &sound;
        ports.shell = &shell;
        ports.process = &process;
        ports.windowCloser = &windowCloser;
        ports.notifier = &notifier;
        client = std::make_unique<Client>(config, peerTimings(), WorkingDirectory(QDir(dir.path())), ports);
        ClientSetup::loggedOn(*client, QStringLiteral("alice"), QStringLiteral("127.0.0.1"));
        client->contacts().AddContactRecord(QStringLiteral("LoopBack"), QStringLiteral("127.0.0.1"), true);
    }
    ~WidgetClient() { client.reset(); } // its tasks go before the windows they wait on

    CMainDlg &window() { return widgets.mainDialog(); }

    QTemporaryDir dir;
    WidgetPorts widgets;
    WidgetMainWindow &mainWindow = widgets.mainWindow;
    WidgetNoticeUi &notices = widgets.notices;
    FakeSoundPlayer sound;
    FakeShell shell;
    FakeProcess process;
    FakeWindowCloser windowCloser;
    FakeNotifier notifier;
    std::unique_ptr<Client> client;
};

inline QAction *findAction(const QMenu &menu, const QString &text)
{
    for (QAction *action : menu.actions()) {
        if (action->menu()) {
            if (QAction *found = findAction(*action->menu(), text))
                return found;
        } else if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

} // namespace

TEST(MainDialog, OpensWithTheListButtonsAndStatusLine)
{
    WidgetClient t;
    t.client->mainWindowTask().open();
    CMainDlg &w = t.window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

    QTreeWidget *list = w.contactList();
    EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("Contacts Online"));
    ASSERT_EQ(list->topLevelItemCount(), 1);
    const QTreeWidgetItem *item = list->topLevelItem(0);
    EXPECT_EQ(item->text(0), QStringLiteral("LoopBack"));
    EXPECT_EQ(item->foreground(0).color(), QColor(0, 0, 213));
    EXPECT_FALSE(item->icon(0).isNull());
    // A contact reached securely has a lock drawn after its handle (no font needed), and loses
    // it with its key; the handle stays as it is.
    const QImage plain = list->viewport()->grab().toImage();
    t.mainWindow.markContactItem(0, true);
    EXPECT_NE(list->viewport()->grab().toImage(), plain);
    EXPECT_EQ(item->text(0), u"LoopBack"_s);
    t.mainWindow.markContactItem(0, false);
    EXPECT_EQ(list->viewport()->grab().toImage(), plain);

    EXPECT_EQ(w.channelButton()->text(), QStringLiteral("Ch&at Channel"));
    EXPECT_EQ(w.logOffButton()->text(), QStringLiteral("&Log Off"));
    EXPECT_FALSE(w.channelButton()->isEnabled());
    EXPECT_FALSE(w.logOffButton()->isEnabled());
    EXPECT_EQ(w.statusLine()->text(), QStringLiteral("Please Wait..."));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("alice"));
    EXPECT_FALSE(w.windowIcon().isNull());
}

TEST(MainDialog, MenuItemsAndButtonsReportTheirCommand)
{
    WidgetClient t;
    CMainDlg &w = t.window();
    t.client->mainWindowTask().open();
    QSignalSpy chosen(&t.mainWindow, &MainWindowView::commandChosen);
    findAction(*w.contactMenu(), QStringLiteral("Possessed"))->trigger();
    findAction(*w.menuBar()->actions().at(4)->menu(), QStringLiteral("&About Quibo32"))->trigger();
    w.channelButton()->setEnabled(true);
    w.logOffButton()->setEnabled(true);
    QTest::mouseClick(w.channelButton(), Qt::LeftButton);
    QTest::mouseClick(w.logOffButton(), Qt::LeftButton);
    EXPECT_EQ(firstArguments(chosen), (QList<int>{32799, 32813, 1011, 1000}));
}

// The menus keep their items in their order; ours come after them. History opens its window.
TEST(MainDialog, MenusKeepTheirItemsWithTheNewOnesAfter)
{
    WidgetClient t;
    t.client->mainWindowTask().open();
    CMainDlg &w = t.window();
    const auto texts = [](const QMenu &menu) {
        QStringList list;
        for (const QAction *action : menu.actions())
            list.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        return list;
    };
    const QList<QAction *> bar = w.menuBar()->actions();
    ASSERT_EQ(bar.size(), 5);
    EXPECT_EQ(texts(*bar[0]->menu()), QStringList({u"&Host Chat Channel"_s, u"-"_s, u"My Web Page"_s,
                                                   u"My User Info"_s, u"-"_s, u"E&xit"_s}));
    EXPECT_EQ(texts(*bar[2]->menu()), QStringList({u"&Manage Contacts"_s, u"&Change Your Info"_s, u"-"_s,
                                                   u"&History"_s, u"Start at &Login"_s, u"My Key &Fingerprint"_s}));
    EXPECT_EQ(texts(*bar[4]->menu()),
              QStringList({u"&Contents"_s, u"&About Quibo32"_s, u"&Quibo Web Site"_s}));
    EXPECT_EQ(texts(*w.contactMenu()),
              QStringList({u"Send Message"_s, u"Send Smiley"_s, u"Send Sound"_s, u"Send File"_s, u"-"_s,
                           u"Private Chat"_s, u"Join Chat Channel"_s, u"-"_s, u"Contact's Web Page"_s,
                           u"Personal Info"_s, u"-"_s, u"History"_s, u"Key Fingerprint"_s}));
    EXPECT_TRUE(findAction(*bar[2]->menu(), u"Start at &Login"_s)->isCheckable());

    findAction(*bar[2]->menu(), u"&History"_s)->trigger();
    EXPECT_TRUE(t.client->history().browser().isOpen());
}

TEST(MainDialog, CloseBoxAsksAndEscEndsOnlyTheWindow)
{
    WidgetClient t;
    t.mainWindow.show();
    CMainDlg &w = t.window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QSignalSpy closeRequested(&t.mainWindow, &MainWindowView::closeRequested);
    QSignalSpy dismissed(&t.mainWindow, &MainWindowView::dismissed);

    w.close();
    EXPECT_EQ(closeRequested.size(), 1);
    EXPECT_TRUE(w.isVisible()) << "the behaviour decides whether the window goes";

    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_EQ(dismissed.size(), 1);
    EXPECT_FALSE(w.isVisible());
    t.mainWindow.bringForward();
    EXPECT_FALSE(w.isVisible()) << "an ended window does not come back";
}

// Clicks report the selected item once the list has moved its selection; a click on the
// empty part clears the selection and reports -1.
TEST(MainDialog, ListClicksReportTheSelectedPosition)
{
    WidgetClient t;
    t.client->contacts().AddContactRecord(QStringLiteral("bob"), QStringLiteral("0"), true);
    t.mainWindow.show();
    CMainDlg &w = t.window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTreeWidget *list = w.contactList();
    QSignalSpy clicked(&t.mainWindow, &MainWindowView::itemClicked);
    QSignalSpy rightClicked(&t.mainWindow, &MainWindowView::itemRightClicked);
    const QPoint bob = list->visualItemRect(list->topLevelItem(1)).center();
    const QPoint empty(5, list->viewport()->height() - 5);

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, bob);
    ASSERT_TRUE(clicked.wait(2000));
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, bob);
    ASSERT_TRUE(rightClicked.wait(2000));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, empty);
    ASSERT_TRUE(clicked.wait(2000));
    EXPECT_EQ(firstArguments(clicked), (QList<int>{1, -1}));
    EXPECT_EQ(firstArguments(rightClicked), QList<int>{1});
    EXPECT_TRUE(list->selectedItems().isEmpty());

    // Files from the desktop: taken as a copy wherever they land, reported with the item under them.
    QSignalSpy dropped(&t.mainWindow, &MainWindowView::filesDropped);
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a b.txt"))});
    for (const QPoint at : {bob, empty}) {
        QDragEnterEvent enter(at, Qt::CopyAction, &files, Qt::LeftButton, {});
        QApplication::sendEvent(list->viewport(), &enter);
        QDropEvent drop(at, Qt::CopyAction, &files, Qt::LeftButton, {});
        QApplication::sendEvent(list->viewport(), &drop);
        EXPECT_TRUE(enter.isAccepted() && drop.isAccepted());
    }
    ASSERT_EQ(dropped.size(), 2);
    EXPECT_EQ(dropped[0], (QVariantList{1, QStringList{QStringLiteral("/tmp/a b.txt")}}));
    EXPECT_EQ(dropped[1][0], -1);
    t.window().contactMenu()->hide();
}

// Yourself, logged on and listening: a click on "LoopBack" pops up the contact menu at the
// window's edge, and a smiley from it shows "Sending ..." and then, from LoopBack, the popup.
TEST(LoopBack, ASmileyToYourselfFromTheContactMenuShowsSendingThenThePopup)
{
    WidgetClient t;
    t.client->mainWindowTask().open();
    t.client->listener().start();
    ASSERT_TRUE(waitFor([&] { return t.client->listener().isListening(); }));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&t.window()));
    int handled = 0;
    QObject::connect(&t.client->listener(), &Listener::handled, [&handled] { ++handled; });
    QTreeWidget *list = t.window().contactList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(0)).center());
    QMenu *menu = t.window().contactMenu();
    ASSERT_TRUE(waitFor([&] { return menu->isVisible(); }));
    const QRect frame = t.window().frameGeometry();
    EXPECT_EQ(menu->pos(), QPoint(frame.x() + frame.width() - 120, frame.y() + frame.height() - 230));
    EXPECT_TRUE(t.window().channelButton()->isEnabled());
    QAction *smile = findAction(*menu, QStringLiteral("Smile"));
    ASSERT_NE(smile, nullptr);
    menu->hide();
    smile->trigger();

    CSendingDlg &sending = t.notices.sendingPopup();
    CSmileyDlg &popup = t.notices.smileyPopup(152); // Smile
    ASSERT_TRUE(waitFor([&] { return sending.isVisible(); }));
    EXPECT_FALSE(popup.isVisible());
    ASSERT_TRUE(waitFor([&] { return popup.isVisible(); }));
    EXPECT_FALSE(sending.isVisible()) << "the record goes out once \"Sending ...\" has closed";
    EXPECT_EQ(popup.fromName(), QStringLiteral("LoopBack"));
    popup.reject();
    EXPECT_TRUE(waitFor([&] { return handled == 1; }));
}

// The start-up flow with the real dialog: its texts and buttons, Connect minimising it, and its
// close box ending the program.
TEST(ConnectDialog, ShowsItsPromptConnectStartsTheSessionAndClosingEndsTheProgram)
{
    const Timings timings = Timings{}.scaledDown(100);
    WidgetConnectUi ui;
    WidgetMainWindow mainWindow;
    FakeProcess process;
    int sessionsStarted = 0;
    Startup startup(timings, ui, mainWindow, process, [&] { ++sessionsStarted; });
    startup.run();

    QPointer<CConnectDlg> dialog = openWindow<CConnectDlg>();
    ASSERT_TRUE(dialog);
    auto *prompt = child(dialog, "prompt");
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Quibo32"));
    EXPECT_EQ(prompt->text(), QStringLiteral("Click Connect To Continue"));
    EXPECT_EQ(button(dialog, "connectButton")->text(), QStringLiteral("&Connect"));
    EXPECT_FALSE(button(dialog, "okButton")->isVisible());

    QTest::mouseClick(button(dialog, "connectButton"), Qt::LeftButton);
    EXPECT_EQ(sessionsStarted, 1);
    EXPECT_EQ(prompt->text(), QStringLiteral("Connecting, Please Wait ..."));
    EXPECT_FALSE(button(dialog, "connectButton")->isEnabled());
    EXPECT_TRUE(dialog->isMinimized());
    dialog->showNormal(); // restored from the task bar while connecting
    EXPECT_TRUE(dialog->isMinimized()) << "the main window comes forward instead";
    EXPECT_FALSE(process.ended());

    dialog->close();
    EXPECT_EQ(process.exitCodes, QList<int>{0});
    ASSERT_TRUE(waitFor([&] { return dialog.isNull(); })); // deleted on close; the view copes
}
