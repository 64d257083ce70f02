#include "WavBytes.h"
#include "WidgetTestKit.h"

#include "base/Timings.h"
#include "notices/Notices.h"
#include "notices/widgets/CSmileyDlg.h"
#include "notices/widgets/CSystemMessageDlg.h"
#include "notices/widgets/WidgetNoticeUi.h"
#include "platform/widgets/QtSoundPlayer.h"

#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace std::chrono_literals;

// Every wait is a coroutine on the one GUI thread: an open message box and a clip being
// played must not stop a popup's animation, and none of them waits for the others.
TEST(Responsiveness, WinkAnimatesWhileAMessageBoxIsOpenAndAClipIsAwaited)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    {
        QFile clip(dir.filePath(QStringLiteral("mail.snd")));
        ASSERT_TRUE(clip.open(QIODevice::WriteOnly));
        clip.write(wavbytes::silence(1000ms));
    }
    QWidget mainWindow;
    WidgetNoticeUi ui(&mainWindow);
    QtSoundPlayer sound{WorkingDirectory(QDir(dir.path()))};
    sound.setOutputCheck([] { return false; });
    const Timings timings = Timings{}.scaledDown(10);
    PopupCounters counters;
    QObject context;
    Notices notices(context, ui, sound, timings, counters);

    const auto smileyDone = whenDone(notices.showSmiley(Smiley::Wink, QStringLiteral("LoopBack")));
    CSmileyDlg &popup = ui.smileyPopup(Smiley::Wink);
    QSignalSpy pictures(&popup, &PopupDialog::pictureShown);
    const auto messageDone =
        whenDone(notices.showSystemMessage(DialogOwner::Desktop, QStringLiteral("Contact Deleted!"), {}));
    auto *box = openWindow<CSystemMessageDlg>();
    ASSERT_NE(box, nullptr);

    auto picturesWhenClipEnded = std::make_shared<qsizetype>(-1);
    sound.play(QStringLiteral("mail.snd")).then([&pictures, picturesWhenClipEnded] {
        *picturesWhenClipEnded = pictures.count();
    });
    EXPECT_EQ(*picturesWhenClipEnded, -1);

    // A wink cycle is 16 ticks with two picture changes; the clip lasts about four cycles.
    QTRY_VERIFY_WITH_TIMEOUT(*picturesWhenClipEnded >= 0, 4000);
    EXPECT_GE(*picturesWhenClipEnded, 2);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(*messageDone);

    QTest::mouseClick(button(box, "okButton"), Qt::LeftButton);
    QTRY_VERIFY(*messageDone);
    const qsizetype afterBox = pictures.count();
    QTRY_VERIFY_WITH_TIMEOUT(pictures.count() > afterBox, 2000); // still animating
    EXPECT_FALSE(*smileyDone);

    QTest::mouseClick(button(&popup, "okButton"), Qt::LeftButton);
    QTRY_VERIFY(*smileyDone);
}
