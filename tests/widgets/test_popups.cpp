#include "WidgetTestKit.h"

#include "notices/widgets/CSendingDlg.h"
#include "notices/widgets/CSmileyDlg.h"
#include "notices/widgets/WidgetNoticeUi.h"
#include "resources/ResourceCatalogue.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {
class SmileyPopup : public testing::TestWithParam<Smiley> {};
} // namespace

TEST_P(SmileyPopup, ShowsTheSenderAndIsClosedByOkButNotByEnter)
{
    WidgetNoticeUi ui;
    const auto view = ui.openSmiley(GetParam(), QStringLiteral("LoopBack"));
    QSignalSpy closed(view.get(), &PictureView::closed);
    CSmileyDlg &popup = ui.smileyPopup(GetParam());
    ASSERT_TRUE(popup.isVisible());
    EXPECT_EQ(popup.windowTitle(), QStringLiteral("Quibo32"));
    EXPECT_EQ(popup.objectName(), QStringLiteral("smiley%1").arg(smileyLook(GetParam()).dialogId));
    EXPECT_EQ(child(&popup, "fromName")->text(), QStringLiteral("LoopBack"));
    QTRY_COMPARE(popup.focusWidget(), button(&popup, "okButton"));

    QTest::keyClick(button(&popup, "okButton"), Qt::Key_Return);
    QTest::keyClick(&popup, Qt::Key_Enter);
    QTest::qWait(20);
    EXPECT_TRUE(view->isOpen());
    EXPECT_TRUE(popup.isVisible());

    QTest::mouseClick(button(&popup, "okButton"), Qt::LeftButton);
    EXPECT_FALSE(view->isOpen());
    EXPECT_FALSE(popup.isVisible());
    EXPECT_EQ(closed.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(AllSeven, SmileyPopup,
                         testing::Values(Smiley::Smile, Smiley::Frown, Smiley::Wink, Smiley::Possessed,
                                         Smiley::Kiss, Smiley::Aahhh, Smiley::Oops),
                         [](const auto &c) {
                             return QString(smileyLook(c.param).name).remove(u'!').toStdString();
                         });

TEST(Popups, ShowTheLatestPictureAndAreReusedANewShowingEndingTheOld)
{
    WidgetNoticeUi ui;
    auto first = ui.openSmiley(Smiley::Kiss, QStringLiteral("amy"));
    CSmileyDlg *popup = &ui.smileyPopup(Smiley::Kiss);
    QSignalSpy shown(popup, &PopupDialog::pictureShown);
    auto *picture = child(popup, "picture");
    first->showPicture(res::KissRestPicture);
    const qint64 restKey = picture->pixmap().cacheKey();
    first->showPicture(res::KissPuckerPicture);
    EXPECT_EQ(popup->currentPicture(), res::KissPuckerPicture);
    EXPECT_NE(picture->pixmap().cacheKey(), restKey);
    EXPECT_EQ(shown.count(), 2);

    QSignalSpy firstClosed(first.get(), &PictureView::closed);
    auto second = ui.openSmiley(Smiley::Kiss, QStringLiteral("bob"));
    EXPECT_EQ(&ui.smileyPopup(Smiley::Kiss), popup);
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
        auto view = ui.openSmiley(Smiley::Smile, QStringLiteral("amy"));
        view.reset(); // nobody drives the popup any more, so it closes
        EXPECT_FALSE(ui.smileyPopup(Smiley::Smile).isVisible());
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
