#include "TestFiles.h"
#include "WidgetTestKit.h"

#include "messaging/Smileys.h"
#include "notices/widgets/CAboutDlg.h"
#include "notices/widgets/CHintDlg.h"
#include "notices/widgets/CSendingDlg.h"
#include "notices/widgets/CSmileyDlg.h"
#include "notices/widgets/CSystemMessageDlg.h"
#include "notices/widgets/WidgetNoticeUi.h"
#include "resources/ResourceCatalogue.h"
#include "widgetkit/Pictures.h"

#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace std::chrono_literals;

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
        EXPECT_TRUE(waitFor([&] { return box->focusWidget() == button(box, "okButton"); })); // once shown

        QTest::mouseClick(button(box, "okButton"), Qt::LeftButton);
        ASSERT_TRUE(waitFor([&] { return *done; }, 2s));
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
    ASSERT_TRUE(waitFor([&] { return *escaped; }, 2s));
    ASSERT_TRUE(waitFor([&] { return box.isNull(); }));

    const auto destroyed = whenDone(ui.showSystemMessage(DialogOwner::Desktop, QStringLiteral("x"), {}));
    delete openWindow<CSystemMessageDlg>();
    ASSERT_TRUE(waitFor([&] { return *destroyed; }, 2s));
}

// The main window's dialogs are its window-modal children, the others independent.
TEST(FixedDialogs, HintAndAboutShowTheirTextsAndFollowTheirOwner)
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
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About Quibo32"));
    EXPECT_EQ(child(about, "version")->text(), QStringLiteral("Quibo32 Version 2.1"));
    EXPECT_EQ(button(about, "okButton")->text(), QStringLiteral("OK"));

    const auto free = whenDone(ui.showHint(DialogOwner::Desktop));
    auto *hint = openWindow<CHintDlg>();
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->parentWidget(), nullptr);
    EXPECT_EQ(hint->windowModality(), Qt::NonModal);
    EXPECT_EQ(hint->windowTitle(), QStringLiteral("Quibo32 - Hint"));
    EXPECT_EQ(child(hint, "heading")->text(), QStringLiteral(" Quibo32 HINT:"));
    const QStringList lines{
        QStringLiteral("Once you get logged on, by clicking on LoopBack in the"),
        QStringLiteral("Contacts Online list, you can send messages, smileys, and "),
        QStringLiteral("sounds which will loop back to you so you can see how "),
        QStringLiteral("Quibo32 works!  Play around with it for a bit, then get a"),
        QStringLiteral("friend or two to download Quibo32 and you can then send"),
        QStringLiteral("messages, smileys, sounds, and files to each other!"),
    };
    for (int i = 0; i < lines.size(); ++i)
        EXPECT_EQ(child(hint, QStringLiteral("hintLine%1").arg(i + 1).toLatin1().constData())->text(),
                  lines.at(i));
    EXPECT_EQ(button(hint, "okButton")->text(), QStringLiteral("OK"));

    // Each closes on its own, in any order.
    QTest::mouseClick(button(hint, "okButton"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return *free; }));
    EXPECT_FALSE(*modal);
    QTest::mouseClick(button(about, "okButton"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return *modal; }));
}

namespace {
class SmileyPopups : public testing::TestWithParam<messaging::SmileyRow> {};
} // namespace

TEST_P(SmileyPopups, ShowsTheSenderAndIsClosedByOkButNotByEnter)
{
    WidgetNoticeUi ui;
    const SmileyLook look = GetParam().popup.look;
    const auto view = ui.openSmiley(look, QStringLiteral("LoopBack"));
    QSignalSpy closed(view.get(), &PictureView::closed);
    CSmileyDlg &popup = ui.smileyPopup(look.dialogId);
    ASSERT_TRUE(popup.isVisible());
    EXPECT_EQ(popup.windowTitle(), QStringLiteral("Quibo32"));
    EXPECT_EQ(popup.objectName(), QStringLiteral("smiley%1").arg(look.dialogId));
    EXPECT_EQ(child(&popup, "fromName")->text(), QStringLiteral("LoopBack"));
    EXPECT_TRUE(waitFor([&] { return popup.focusWidget() == button(&popup, "okButton"); }));

    QTest::keyClick(button(&popup, "okButton"), Qt::Key_Return);
    QTest::keyClick(&popup, Qt::Key_Enter);
    ASSERT_TRUE(settle());
    EXPECT_TRUE(view->isOpen());
    EXPECT_TRUE(popup.isVisible());

    QTest::mouseClick(button(&popup, "okButton"), Qt::LeftButton);
    EXPECT_FALSE(view->isOpen());
    EXPECT_FALSE(popup.isVisible());
    EXPECT_EQ(closed.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(All, SmileyPopups, testing::ValuesIn(messaging::smileys()), [](const auto &c) {
    return QString(c.param.popup.look.name).remove(u'!').toStdString();
});

TEST(Popups, ShowTheLatestPictureAndAreReusedANewShowingEndingTheOld)
{
    WidgetNoticeUi ui;
    const SmileyLook kiss{204, QStringLiteral("Kiss")};
    auto first = ui.openSmiley(kiss, QStringLiteral("amy"));
    CSmileyDlg *popup = &ui.smileyPopup(kiss.dialogId);
    QSignalSpy shown(popup, &PopupDialog::pictureShown);
    auto *picture = child(popup, "picture");
    first->showPicture(res::KissRestPicture);
    const qint64 restKey = picture->pixmap().cacheKey();
    first->showPicture(res::KissPuckerPicture);
    EXPECT_EQ(popup->currentPicture(), res::KissPuckerPicture);
    EXPECT_NE(picture->pixmap().cacheKey(), restKey);
    EXPECT_EQ(shown.count(), 2);

    QSignalSpy firstClosed(first.get(), &PictureView::closed);
    auto second = ui.openSmiley(kiss, QStringLiteral("bob"));
    EXPECT_EQ(&ui.smileyPopup(kiss.dialogId), popup);
    EXPECT_FALSE(first->isOpen());
    EXPECT_EQ(firstClosed.count(), 1);
    // The earlier showing's view can no longer touch the popup.
    second->showPicture(res::KissRestPicture);
    first->showPicture(res::KissPuckerPicture);
    first->close();
    first.reset();
    EXPECT_TRUE(second->isOpen());
    EXPECT_EQ(popup->currentPicture(), res::KissRestPicture);
    EXPECT_EQ(popup->fromName(), QStringLiteral("bob"));
}

TEST(Popups, ViewAndPopupMayEachGoFirst)
{
    WidgetNoticeUi ui;
    {
        auto view = ui.openSmiley({152, QStringLiteral("Smile")}, QStringLiteral("amy"));
        view.reset(); // nobody drives the popup any more, so it closes
        EXPECT_FALSE(ui.smileyPopup(152).isVisible());
    }
    auto view = ui.openSending(DialogOwner::Desktop);
    QSignalSpy closed(view.get(), &PictureView::closed);
    delete &ui.sendingPopup();
    EXPECT_FALSE(view->isOpen());
    EXPECT_EQ(closed.count(), 1);
    view->showPicture(res::sendingFrames().constFirst()); // harmless
    view->close();
    // The next showing gets a popup again.
    auto again = ui.openSending(DialogOwner::Desktop);
    EXPECT_TRUE(again->isOpen());
}

TEST(Popups, SendingHasNoCaptionAndFollowsItsOwner)
{
    QWidget mainWindow;
    mainWindow.show();
    WidgetNoticeUi ui(&mainWindow);

    auto fromMenu = ui.openSending(DialogOwner::MainWindow);
    CSendingDlg &popup = ui.sendingPopup();
    EXPECT_TRUE(popup.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(popup.parentWidget(), &mainWindow);
    EXPECT_EQ(popup.windowModality(), Qt::WindowModal);
    fromMenu->close();
    EXPECT_FALSE(popup.isVisible());

    auto fromElsewhere = ui.openSending(DialogOwner::Desktop);
    EXPECT_EQ(&ui.sendingPopup(), &popup);
    EXPECT_EQ(popup.parentWidget(), nullptr);
    EXPECT_EQ(popup.windowModality(), Qt::NonModal);
    EXPECT_TRUE(fromElsewhere->isOpen());
}

// A picture draws at the screen's pixel ratio; a missing or broken one gives a visible placeholder.
TEST(Pictures, DrawAtThePixelRatioOrAsAPlaceholder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("red.svg"));
    ASSERT_TRUE(
        writeFile(path, R"(<svg xmlns="http://www.w3.org/2000/svg" width="10" height="10" viewBox="0 0 10 10">
<rect width="10" height="10" fill="#ff0000"/></svg>)"));
    for (const qreal dpr : {1.0, 2.0}) {
        const QPixmap pm = pictures::fromSvgFile(path, QStringLiteral("red"), QSize(32, 24), dpr);
        EXPECT_EQ(pm.size(), QSize(32, 24) * dpr);
        EXPECT_EQ(pm.devicePixelRatio(), dpr);
        EXPECT_EQ(pm.deviceIndependentSize(), QSizeF(32, 24));
        EXPECT_EQ(pm.toImage().pixelColor(pm.width() / 2, pm.height() / 2), QColor(Qt::red));
    }

    const QString broken = dir.filePath(QStringLiteral("broken.svg"));
    ASSERT_TRUE(writeFile(broken, "<svg"));
    const QPixmap fromBroken = pictures::fromSvgFile(broken, QStringLiteral("9"), QSize(20, 20), 1.0);
    const QPixmap missing = pictures::pixmap(987654, QSize(20, 20), 2.0);
    for (const QPixmap &pm : {fromBroken, missing}) {
        ASSERT_FALSE(pm.isNull());
        const QImage image = pm.toImage();
        EXPECT_EQ(image.pixelColor(image.width() / 4, 2 * pm.devicePixelRatio()).alpha(), 255);
    }
    EXPECT_EQ(missing.deviceIndependentSize(), QSizeF(20, 20));
    EXPECT_FALSE(pictures::icon(987654).isNull());
}
