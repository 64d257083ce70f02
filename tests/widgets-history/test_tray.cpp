#include "platform/TrayStatus.h"
#include "platform/widgets/SystemTray.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace quibo;
using namespace Qt::StringLiterals;

namespace {

// Headless there is no tray: the icon is not shown, and everything else works the same.
TEST(Tray, TheTooltipCountsUnreadMessagesAndTheMenuReportsItsChoices)
{
    SystemTray tray;
    EXPECT_EQ(tray.icon().isVisible(), QSystemTrayIcon::isSystemTrayAvailable());
    TrayStatus status(tray);
    EXPECT_EQ(tray.icon().toolTip(), u"Quibo32"_s);
    status.setHandle(u"anna"_s);
    const struct {
        void (TrayStatus::*change)();
        QString tip;
    } steps[] = {
        {&TrayStatus::received, u"Quibo32 - anna\n1 unread message"_s},
        {&TrayStatus::received, u"Quibo32 - anna\n2 unread messages"_s},
        {&TrayStatus::read, u"Quibo32 - anna\n1 unread message"_s},
        {&TrayStatus::read, u"Quibo32 - anna"_s},
        {&TrayStatus::read, u"Quibo32 - anna"_s},
        {&TrayStatus::received, u"Quibo32 - anna\n1 unread message"_s},
    };
    for (const auto &step : steps) {
        (status.*step.change)();
        EXPECT_EQ(tray.icon().toolTip(), step.tip);
    }
    EXPECT_EQ(status.unread(), 1);

    QSignalSpy show(&tray, &TrayView::showMainWindowChosen);
    QSignalSpy logOff(&tray, &TrayView::logOffChosen);
    QSignalSpy exit(&tray, &TrayView::exitChosen);
    QStringList texts;
    for (QAction *action : tray.menu().actions()) {
        texts.append(action->text());
        action->trigger();
    }
    EXPECT_EQ(texts, (QStringList{u"&Show Quibo32"_s, u"&Log Off"_s, u"E&xit"_s}));
    Q_EMIT tray.icon().activated(QSystemTrayIcon::Trigger);
    Q_EMIT tray.icon().activated(QSystemTrayIcon::Context);
    EXPECT_EQ(show.size(), 2);
    EXPECT_EQ(logOff.size(), 1);
    EXPECT_EQ(exit.size(), 1);
}

} // namespace
