#pragma once

#include <QCoro/QCoroTask>
#include <QString>

namespace quibo {

// Plays the clip of an installation file by name. A missing file gives the desktop's alert
// sound instead; a machine without an audio device still reports each clip's end.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Completes when the clip has played to its end.
    virtual QCoro::Task<> play(QString fileName) = 0;
    // Starts the clip and returns at once.
    virtual void playAsync(QString fileName) = 0;
};

} // namespace quibo
