#include "TestFiles.h"
#include "WavBytes.h"
#include "WidgetTestKit.h"

#include "platform/widgets/QtSoundPlayer.h"

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
    QTRY_VERIFY_WITH_TIMEOUT(*done, 3000);
    EXPECT_EQ(p.alerted.count(), 0);
    p.player.playAsync(QStringLiteral("short.snd"));
    QTest::qWait(300); // the clip ends while the player still exists
}

TEST(QtSoundPlayer, ADeviceThatNeverReportsTheEndDoesNotHoldTheCaller)
{
    // This machine has no audio device, so QSoundEffect never reports the end (or fails to
    // load); either way the clip ends within its length plus the margins.
    Player p(true);
    const auto done = whenDone(p.player.play(QStringLiteral("short.snd")));
    const auto limit = 150ms + QtSoundPlayer::LoadLimit + QtSoundPlayer::EndMargin + 1500ms;
    QTRY_VERIFY_WITH_TIMEOUT(*done, static_cast<int>(limit.count()));
}
