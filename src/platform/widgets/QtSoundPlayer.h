#pragma once

#include "base/WorkingDirectory.h"
#include "ports/SoundPlayer.h"

#include <QObject>

#include <chrono>
#include <functional>

namespace quibo {

// Plays 16-bit PCM WAV clips with QSoundEffect. Every clip reports its end, even where
// QSoundEffect would not: without an audio device the clip's length comes from its header,
// and with one the wait is capped at that length plus a margin.
class QtSoundPlayer : public QObject, public SoundPlayer {
    Q_OBJECT
public:
    explicit QtSoundPlayer(WorkingDirectory workDir, QObject *parent = nullptr);

    QCoro::Task<> play(QString fileName) override;
    void playAsync(QString fileName) override;

    // Whether an audio output exists; by default asks Qt Multimedia at each clip.
    void setOutputCheck(std::function<bool()> hasAudioOutput) { m_hasOutput = std::move(hasAudioOutput); }

    // Longest a playing clip may overrun its length before it counts as ended.
    static constexpr std::chrono::milliseconds EndMargin{1000};
    // Longest wait for a clip to load.
    static constexpr std::chrono::milliseconds LoadLimit{1000};

Q_SIGNALS:
    // The clip was missing or unplayable; the desktop's alert sounded instead.
    void alerted(const QString &fileName);

private:
    QCoro::Task<> playOnDevice(QString path, std::chrono::milliseconds length);
    void alert(const QString &fileName);

    WorkingDirectory m_workDir;
    std::function<bool()> m_hasOutput;
};

} // namespace quibo
