#include "WidgetTestKit.h"

#include "notices/widgets/CAboutDlg.h"
#include "notices/widgets/CHintDlg.h"
#include "notices/widgets/CSystemMessageDlg.h"
#include "notices/widgets/WidgetNoticeUi.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

TEST(MessageBox, ShowsItsLinesWithOkAndAHiddenDisabledDefaultCancelAndEndsWhenClosed)
{
    const QString line1 = QStringLiteral("Can't Open Manage Contacts Window");
    for (const QString &line2 : {QString(), QStringLiteral("You Are Not Logged On Yet")}) {
        WidgetNoticeUi ui;
        const auto done = whenDone(ui.showSystemMessage(DialogOwner::Desktop, line1, line2));
        auto *box = openWindow<CSystemMessageDlg>();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Quibo32 System Message"));
        EXPECT_EQ(child(box, "line1")->text(), line1);
        EXPECT_EQ(child(box, "line2")->text(), line2);
        EXPECT_EQ(child(box, "line2")->isVisible(), !line2.isEmpty());
        EXPECT_FALSE(child(box, "line3")->isVisible());
        EXPECT_EQ(button(box, "okButton")->text(), QStringLiteral("&OK"));
        QPushButton *cancel = button(box, "cancelButton");
        EXPECT_FALSE(cancel->isVisible());
        EXPECT_FALSE(cancel->isEnabled());
        EXPECT_TRUE(cancel->isDefault());
        QTRY_COMPARE(box->focusWidget(), button(box, "okButton")); // once shown

        QTest::mouseClick(button(box, "okButton"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(*done, 2000);
        EXPECT_EQ(openWindow<CSystemMessageDlg>(), nullptr);
    }
}

TEST(MessageBox, EscClosesAndDestroysItAndDestroyingItEndsTheTask)
{
    WidgetNoticeUi ui;
    const auto escaped = whenDone(ui.showSystemMessage(DialogOwner::Desktop, QStringLiteral("x"), {}));
    QPointer<CSystemMessageDlg> box = openWindow<CSystemMessageDlg>();
    ASSERT_TRUE(box);
    QTest::keyClick(box, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(*escaped, 2000);
    QTRY_VERIFY(box.isNull());

    const auto destroyed = whenDone(ui.showSystemMessage(DialogOwner::Desktop, QStringLiteral("x"), {}));
    delete openWindow<CSystemMessageDlg>();
    QTRY_VERIFY_WITH_TIMEOUT(*destroyed, 2000);
}

TEST(DialogOwnership, MainWindowDialogsAreWindowModalChildrenAndOthersIndependent)
{
    QWidget mainWindow;
    mainWindow.show();
    WidgetNoticeUi ui(&mainWindow);

    const auto modal = whenDone(ui.showAbout(DialogOwner::MainWindow));
    auto *about = openWindow<CAboutDlg>();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->parentWidget(), &mainWindow);
    EXPECT_TRUE(about->isWindow());
    EXPECT_EQ(about->windowModality(), Qt::WindowModal);

    const auto free = whenDone(ui.showHint(DialogOwner::Desktop));
    auto *hint = openWindow<CHintDlg>();
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->parentWidget(), nullptr);
    EXPECT_EQ(hint->windowModality(), Qt::NonModal);

    // Each closes on its own, in any order.
    QTest::mouseClick(button(hint, "okButton"), Qt::LeftButton);
    QTRY_VERIFY(*free);
    EXPECT_FALSE(*modal);
    QTest::mouseClick(button(about, "okButton"), Qt::LeftButton);
    QTRY_VERIFY(*modal);
}

TEST(FixedDialogs, HintAndAboutShowTheirTexts)
{
    CHintDlg hint;
    EXPECT_EQ(hint.windowTitle(), QStringLiteral("Quibo32 - Hint"));
    EXPECT_EQ(child(&hint, "heading")->text(), QStringLiteral(" Quibo32 HINT:"));
    const QStringList lines{
        QStringLiteral("Once you get logged on, by clicking on LoopBack in the"),
        QStringLiteral("Contacts Online list, you can send messages, smileys, and "),
        QStringLiteral("sounds which will loop back to you so you can see how "),
        QStringLiteral("Quibo32 works!  Play around with it for a bit, then get a"),
        QStringLiteral("friend or two to download Quibo32 and you can then send"),
        QStringLiteral("messages, smileys, sounds, and files to each other!"),
    };
    for (int i = 0; i < lines.size(); ++i)
        EXPECT_EQ(child(&hint, QStringLiteral("hintLine%1").arg(i + 1).toLatin1().constData())->text(),
                  lines.at(i));
    EXPECT_EQ(button(&hint, "okButton")->text(), QStringLiteral("OK"));

    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Quibo32"));
    EXPECT_EQ(child(&about, "version")->text(), QStringLiteral("Quibo32 Version 2.1"));
    EXPECT_EQ(button(&about, "okButton")->text(), QStringLiteral("OK"));
}
