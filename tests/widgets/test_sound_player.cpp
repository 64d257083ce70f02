#include "WavBytes.h"
#include "WidgetTestKit.h"

#include "platform/widgets/QtSoundPlayer.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace std::chrono_literals;

namespace {
// A working directory holding a short clip "short.snd" and a broken "broken.snd".
struct ClipFolder {
    ClipFolder()
    {
        write(QStringLiteral("short.snd"), wavbytes::silence(150ms));
        write(QStringLiteral("broken.snd"), QByteArray("RIFF\x10\0\0\0WAVEjunk", 16));
    }
    void write(const QString &name, const QByteArray &bytes)
    {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    WorkingDirectory workDir() const { return WorkingDirectory(QDir(dir.path())); }

    QTemporaryDir dir;
};
} // namespace

TEST(QtSoundPlayer, MissingOrBrokenClipSoundsTheAlertAndEndsAtOnce)
{
    ClipFolder folder;
    QtSoundPlayer player(folder.workDir());
    QSignalSpy alerted(&player, &QtSoundPlayer::alerted);
    for (const QString &name : {QStringLiteral("nothere.snd"), QStringLiteral("broken.snd")}) {
        const auto done = whenDone(player.play(name));
        EXPECT_TRUE(*done) << name.toStdString();
    }
    EXPECT_EQ(alerted.count(), 2);
}

TEST(QtSoundPlayer, WithoutADeviceTheClipStillTakesItsLength)
{
    ClipFolder folder;
    QtSoundPlayer player(folder.workDir());
    player.setOutputCheck([] { return false; });
    QSignalSpy alerted(&player, &QtSoundPlayer::alerted);
    const auto done = whenDone(player.play(QStringLiteral("short.snd")));
    EXPECT_FALSE(*done);
    QTRY_VERIFY_WITH_TIMEOUT(*done, 3000);
    EXPECT_EQ(alerted.count(), 0);
}

TEST(QtSoundPlayer, ADeviceThatNeverReportsTheEndDoesNotHoldTheCaller)
{
    // This machine has no audio device, so QSoundEffect never reports the end (or fails
    // to load); either way the clip ends within its length plus the margins.
    ClipFolder folder;
    QtSoundPlayer player(folder.workDir());
    player.setOutputCheck([] { return true; });
    const auto done = whenDone(player.play(QStringLiteral("short.snd")));
    const int limit =
        static_cast<int>((150ms + QtSoundPlayer::LoadLimit + QtSoundPlayer::EndMargin).count()) + 1500;
    QTRY_VERIFY_WITH_TIMEOUT(*done, limit);
}

TEST(QtSoundPlayer, PlayAsyncReturnsAtOnce)
{
    ClipFolder folder;
    QtSoundPlayer player(folder.workDir());
    player.setOutputCheck([] { return false; });
    player.playAsync(QStringLiteral("short.snd"));
    QSignalSpy alerted(&player, &QtSoundPlayer::alerted);
    player.playAsync(QStringLiteral("nothere.snd"));
    EXPECT_EQ(alerted.count(), 1);
    QTest::qWait(300); // the first clip ends while the player still exists
}
