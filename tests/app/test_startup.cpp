#include "TestClient.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {
struct Started : TestClient {
    Started()
    {
        client->start();
        view = ui.connectView;
    }
    ScriptedConnectView *view = nullptr;
};
} // namespace

// The dialog's texts and its minimising are checked with the real dialog; here, what Connect
// does to the main window, and timer five focusing both once.
TEST(Startup, ConnectShowsTheMainWindowOnceWhichThenStandsInForTheMinimisedDialog)
{
    Started t;
    ASSERT_NE(t.view, nullptr);
    EXPECT_FALSE(t.mainWindow.shown);
    t.view->restoreFromTaskBar();
    EXPECT_EQ(t.mainWindow.bringForwardCount, 0) << "before Connect the dialog is just a dialog";

    t.view->clickConnect();
    EXPECT_TRUE(t.mainWindow.shown);
    EXPECT_EQ(t.mainWindow.status, QStringLiteral("Please Wait..."));
    t.view->connectEnabled = true; // even a second click that got through starts nothing more
    t.view->clickConnect();
    EXPECT_EQ(t.mainWindow.showCount, 1);

    ASSERT_TRUE(waitFor([&] { return t.mainWindow.activateCount > 0; }));
    EXPECT_EQ(t.view->activateCount, 1);
    QTest::qWait(3 * static_cast<int>(t.client->timings().connectFocusDelay.count()));
    EXPECT_EQ(t.mainWindow.activateCount, 1);

    t.view->restoreFromTaskBar();
    EXPECT_EQ(t.mainWindow.bringForwardCount, 1);
    EXPECT_TRUE(t.view->minimized);
}

TEST(Startup, ClosingTheStartUpDialogEndsWithoutLoggingOff)
{
    for (const bool afterConnect : {false, true}) {
        Started t;
        if (afterConnect)
            t.view->clickConnect();
        t.view->closeBox();
        EXPECT_EQ(t.process.exitCodes, QList<int>{0});
        EXPECT_TRUE(t.ui.log.filter(QStringLiteral("message|")).isEmpty());
    }
}
