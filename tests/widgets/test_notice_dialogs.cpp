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

namespace {
QLabel *label(QWidget *dialog, const char *name)
{
    return dialog->findChild<QLabel *>(QString::fromLatin1(name));
}

QPushButton *button(QWidget *dialog, const char *name)
{
    return dialog->findChild<QPushButton *>(QString::fromLatin1(name));
}

struct Lines {
    const char *line1;
    const char *line2;
};

class MessageBoxLines : public testing::TestWithParam<Lines> {};
} // namespace

TEST_P(MessageBoxLines, ShowsTheFirstLineAndTheSecondOnlyWhenItHasText)
{
    WidgetNoticeUi ui;
    const QString line1 = QString::fromLatin1(GetParam().line1);
    const QString line2 = QString::fromLatin1(GetParam().line2);
    const auto done = whenDone(ui.showSystemMessage(DialogOwner::Desktop, line1, line2));

    auto *box = openWindow<CSystemMessageDlg>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Quibo32 System Message"));
    EXPECT_EQ(label(box, "line1")->text(), line1);
    EXPECT_TRUE(label(box, "line1")->isVisible());
    EXPECT_EQ(label(box, "line2")->isVisible(), !line2.isEmpty());
    EXPECT_EQ(label(box, "line2")->text(), line2);
    EXPECT_FALSE(label(box, "line3")->isVisible());

    QTest::mouseClick(button(box, "okButton"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(*done, 2000);
    EXPECT_EQ(openWindow<CSystemMessageDlg>(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Notices, MessageBoxLines,
                         testing::Values(Lines{"Error Connecting - Error Code 1007", ""},
                                         Lines{"Can't Open Manage Contacts Window",
                                               "You Are Not Logged On Yet"},
                                         Lines{"Lost Connection - Code 1051", ""}));

TEST(MessageBox, HasOkAndAHiddenDisabledDefaultCancel)
{
    CSystemMessageDlg box;
    box.setLines(QStringLiteral("a"), QStringLiteral("b"));
    box.show();
    EXPECT_EQ(button(&box, "okButton")->text(), QStringLiteral("&OK"));
    QPushButton *cancel = button(&box, "cancelButton");
    EXPECT_FALSE(cancel->isVisible());
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_TRUE(cancel->isDefault());
    // Once shown, the focus moves on to the OK button.
    QTRY_COMPARE(box.focusWidget(), button(&box, "okButton"));
}

TEST(MessageBox, EscClosesItAndDestroysIt)
{
    WidgetNoticeUi ui;
    const auto done = whenDone(ui.showSystemMessage(DialogOwner::Desktop, QStringLiteral("x"), {}));
    QPointer<CSystemMessageDlg> box = openWindow<CSystemMessageDlg>();
    ASSERT_TRUE(box);
    QTest::keyClick(box, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(*done, 2000);
    QTRY_VERIFY(box.isNull());
}

TEST(MessageBox, TaskEndsWhenTheBoxIsDestroyedWithoutClosing)
{
    WidgetNoticeUi ui;
    const auto done = whenDone(ui.showSystemMessage(DialogOwner::Desktop, QStringLiteral("x"), {}));
    delete openWindow<CSystemMessageDlg>();
    QTRY_VERIFY_WITH_TIMEOUT(*done, 2000);
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
    EXPECT_EQ(label(&hint, "heading")->text(), QStringLiteral(" Quibo32 HINT:"));
    const QStringList lines{
        QStringLiteral("Once you get logged on, by clicking on LoopBack in the"),
        QStringLiteral("Contacts Online list, you can send messages, smileys, and "),
        QStringLiteral("sounds which will loop back to you so you can see how "),
        QStringLiteral("Quibo32 works!  Play around with it for a bit, then get a"),
        QStringLiteral("friend or two to download Quibo32 and you can then send"),
        QStringLiteral("messages, smileys, sounds, and files to each other!"),
    };
    for (int i = 0; i < lines.size(); ++i)
        EXPECT_EQ(label(&hint, QStringLiteral("hintLine%1").arg(i + 1).toLatin1().constData())->text(),
                  lines.at(i));
    EXPECT_EQ(button(&hint, "okButton")->text(), QStringLiteral("OK"));

    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Quibo32"));
    EXPECT_EQ(label(&about, "version")->text(), QStringLiteral("Quibo32 Version 2.1"));
    EXPECT_EQ(button(&about, "okButton")->text(), QStringLiteral("OK"));
}
