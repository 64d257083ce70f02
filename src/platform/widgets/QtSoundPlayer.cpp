#include "platform/widgets/QtSoundPlayer.h"

#include "base/Await.h"
#include "base/Tasks.h"
#include "base/Wakeup.h"
#include "platform/WavInfo.h"

#include <QApplication>
#include <QAudioDevice>
#include <QDeadlineTimer>
#include <QMediaDevices>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>

namespace quibo {

namespace {
std::chrono::milliseconds remaining(const QDeadlineTimer &deadline)
{
    return std::chrono::milliseconds{std::max<qint64>(1, deadline.remainingTime())};
}
} // namespace

QtSoundPlayer::QtSoundPlayer(WorkingDirectory workDir, QObject *parent)
    : QObject(parent), m_workDir(std::move(workDir)),
      m_hasOutput([] { return !QMediaDevices::audioOutputs().isEmpty(); })
{
}

void QtSoundPlayer::playAsync(QString fileName)
{
    startTask(this, "sound", [this, fileName] { return play(fileName); });
}

QCoro::Task<> QtSoundPlayer::play(QString fileName)
{
    const QString path = m_workDir.findInstalled(fileName);
    const std::optional<wav::Info> info = path.isEmpty() ? std::nullopt : wav::readInfo(path);
    if (!info) {
        alert(fileName);
        co_return;
    }
    if (m_hasOutput())
        co_await playOnDevice(path, info->duration());
    else
        co_await sleepFor(this, info->duration()); // nothing to hear, but the clip still takes its time
}

QCoro::Task<> QtSoundPlayer::playOnDevice(QString path, std::chrono::milliseconds length)
{
    QPointer<QSoundEffect> effect = new QSoundEffect(this);
    effect->setSource(QUrl::fromLocalFile(path));

    const QDeadlineTimer loaded(LoadLimit);
    while (effect && (effect->status() == QSoundEffect::Loading || effect->status() == QSoundEffect::Null) &&
           !loaded.hasExpired())
        co_await nextSignal(effect.data(), &QSoundEffect::statusChanged, remaining(loaded));
    if (!effect || effect->status() != QSoundEffect::Ready) {
        if (effect)
            effect->deleteLater();
        alert(QUrl::fromLocalFile(path).fileName());
        co_return;
    }

    effect->play();
    // Without a cap a device that never reports the end would hold the caller for ever.
    const QDeadlineTimer ended(length + EndMargin);
    bool started = effect->isPlaying();
    while (effect && !ended.hasExpired()) {
        const bool changed =
            co_await nextSignal(effect.data(), &QSoundEffect::playingChanged, remaining(ended));
        if (!changed || !effect)
            break; // the cap has passed
        if (effect->isPlaying())
            started = true;
        else if (started)
            break;
    }
    if (effect)
        effect->deleteLater();
}

void QtSoundPlayer::alert(const QString &fileName)
{
    QApplication::beep();
    Q_EMIT alerted(fileName);
}

} // namespace quibo
