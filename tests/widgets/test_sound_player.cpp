#include "TestFiles.h"
#include "WavBytes.h"
#include "WidgetTestKit.h"

#include "base/Timings.h"
#include "messaging/Smileys.h"
#include "notices/Notices.h"
#include "notices/widgets/CSmileyDlg.h"
#include "notices/widgets/CSystemMessageDlg.h"
#include "notices/widgets/WidgetNoticeUi.h"
#include "platform/widgets/QtSoundPlayer.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace std::chrono_literals;

namespace {
// A player over a working directory holding a short clip "short.snd" and a broken "broken.snd",
// with or without an audio device.
struct Player {
    explicit Player(bool device)
    {
        writeFile(dir.filePath(QStringLiteral("short.snd")), wavbytes::silence(150ms));
        writeFile(dir.filePath(QStringLiteral("broken.snd")), QByteArray("RIFF\x10\0\0\0WAVEjunk", 16));
        player.setOutputCheck([device] { return device; });
    }
    QTemporaryDir dir;
    QtSoundPlayer player{WorkingDirectory(QDir(dir.path()))};
    QSignalSpy alerted{&player, &QtSoundPlayer::alerted};
};
} // namespace

TEST(QtSoundPlayer, MissingOrBrokenClipSoundsTheAlertAndEndsAtOnceAsAsyncPlayDoes)
{
    Player p(true);
    for (const QString &name : {QStringLiteral("nothere.snd"), QStringLiteral("broken.snd")})
        EXPECT_TRUE(*whenDone(p.player.play(name))) << name.toStdString();
    p.player.playAsync(QStringLiteral("nothere.snd"));
    EXPECT_EQ(p.alerted.count(), 3);
}

TEST(QtSoundPlayer, WithoutADeviceTheClipStillTakesItsLength)
{
    Player p(false);
    const auto done = whenDone(p.player.play(QStringLiteral("short.snd")));
    EXPECT_FALSE(*done);
    ASSERT_TRUE(waitFor([&] { return *done; }, 3s));
    EXPECT_EQ(p.alerted.count(), 0);
    p.player.playAsync(QStringLiteral("short.snd"));
    // The same clip started after it ends after it: the first ended while the player existed.
    const auto later = whenDone(p.player.play(QStringLiteral("short.snd")));
    EXPECT_TRUE(waitFor([&] { return *later; }, 3s));
}

TEST(QtSoundPlayer, ADeviceThatNeverReportsTheEndDoesNotHoldTheCaller)
{
    // This machine has no audio device, so QSoundEffect never reports the end (or fails to
    // load); either way the clip ends within its length plus the margins.
    Player p(true);
    const auto done = whenDone(p.player.play(QStringLiteral("short.snd")));
    const auto limit = 150ms + QtSoundPlayer::LoadLimit + QtSoundPlayer::EndMargin + 1500ms;
    EXPECT_TRUE(waitFor([&] { return *done; }, limit));
}

// Every wait is a coroutine on the one GUI thread: an open message box and a clip being
// played must not stop a popup's animation, and none of them waits for the others.
TEST(Responsiveness, WinkAnimatesWhileAMessageBoxIsOpenAndAClipIsAwaited)
{
    Player p(false);
    QtSoundPlayer &sound = p.player;
    ASSERT_TRUE(writeFile(p.dir.filePath(QStringLiteral("mail.snd")), wavbytes::silence(1000ms)));
    QWidget mainWindow;
    WidgetNoticeUi ui(&mainWindow);
    const Timings timings = Timings{}.scaledDown(10);
    QObject context;
    Notices notices(context, ui, sound, timings);

    const SmileyPopup &wink = messaging::smileys().at(2).popup;
    ASSERT_EQ(wink.look.name, QStringLiteral("Wink"));
    const auto smileyDone = whenDone(notices.showSmiley(wink, QStringLiteral("LoopBack")));
    CSmileyDlg &popup = ui.smileyPopup(wink.look.dialogId);
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
    ASSERT_TRUE(waitFor([&] { return *picturesWhenClipEnded >= 0; }, 4s));
    EXPECT_GE(*picturesWhenClipEnded, 2);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(*messageDone);

    QTest::mouseClick(button(box, "okButton"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return *messageDone; }));
    const qsizetype afterBox = pictures.count();
    ASSERT_TRUE(waitFor([&] { return pictures.count() > afterBox; }, 2s)); // still animating
    EXPECT_FALSE(*smileyDone);

    QTest::mouseClick(button(&popup, "okButton"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return *smileyDone; }));
}
