#include "FakePlatform.h"
#include "WidgetTestKit.h"

#include "app/Startup.h"
#include "app/widgets/WidgetConnectUi.h"
#include "base/Timings.h"
#include "mainwindow/widgets/CMainDlg.h"
#include "mainwindow/widgets/WidgetMainWindow.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

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
